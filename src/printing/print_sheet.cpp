#include "app/form1.h"

void Form1::PrintSheet()
{ }
void Form1::PrintCommand()
{ }
void Form1::ScreenCopyCommand()
{ }
