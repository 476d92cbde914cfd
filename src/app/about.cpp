#include "app/form1.h"

void Form1::Image1_Click()
{ }
void Form1::Command1_Click()
{ }
