// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/readme_window.h"

#include "printing/fonts.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

ReadmeWindow::ReadmeWindow(const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(u"readmeWindow"_s);
    setWindowTitle(u"Varolin － よみもの"_s);
    auto* layout = new QVBoxLayout(this);
    auto* shown = new QPlainTextEdit(this);
    shown->setObjectName(u"readmeText"_s);
    shown->setReadOnly(true);
    shown->setFont(Fonts::gothic(11));
    shown->setPlainText(text);
    shown->setAccessibleName(u"よみもの"_s);
    layout->addWidget(shown);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(u"とじる"_s, QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // Eighty columns of text where the screen has room, within it where it
    // has not (a 1024 x 768 screen less a panel).
    const QFontMetrics metrics(shown->font());
    QSize wanted(metrics.horizontalAdvance(u'M') * 84, metrics.lineSpacing() * 36);
    if (const QScreen* screen = parent ? parent->screen() : this->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(wanted);
    shown->setFocus();
}
