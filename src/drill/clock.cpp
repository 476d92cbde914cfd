#include "app/form1.h"

void Form1::StartClock()
{ }
void Form1::StopClock()
{ }
void Form1::Timer1_Timer()
{ }
