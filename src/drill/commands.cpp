#include "app/form1.h"

void Form1::Btn_Click(int index)
{
    switch (index) {
    case 0:
        state.calcKind = static_cast<std::int16_t>((state.calcKind + 1) % 4);
        ShowKind();
        MakeSheet();
        break;
    case 4:
        if (state.idle)
            MakeSheet();
        break;
    case 5:
        PrintCommand();
        break;
    case 6:
        ScreenCopyCommand();
        break;
    default:
        break;
    }
}

void Form1::Form_QueryUnload(bool& cancel)
{
    cancel = false;
}
