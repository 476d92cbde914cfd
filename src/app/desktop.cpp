#include "app/desktop.h"

Desktop::~Desktop() = default;

Desktop::Answer ask(Desktop& desktop, QWidget* parent, const QString& prompt, const QString& title,
    Desktop::Buttons buttons, Desktop::Icon icon)
{
    return desktop.showMessage(parent, {prompt, title, buttons, icon});
}
