#include "app/form1.h"

bool Form1::cellEvent(int index, QEvent* event)
{
    Q_UNUSED(index);
    Q_UNUSED(event);
    return false;
}

void Form1::Data_KeyPress(int index, int& keyAscii)
{
    Q_UNUSED(index);
    keyAscii = 0;
}

void Form1::Data_Change(int index)
{
    Q_UNUSED(index);
}
