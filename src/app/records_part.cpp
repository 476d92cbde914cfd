// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/records_part.h"

#include "app/records_text.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QLabel>
#include <QStackedWidget>

using namespace Qt::StringLiterals;

RecordsPart::RecordsPart(const QString& name, const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
{
    setObjectName(name);
    setFont(Fonts::gothic(10.5, true));
    setAccessibleName(title);
}

void RecordsPart::setContents(QWidget* contents)
{
    stack = new QStackedWidget(this);
    stack->addWidget(contents);
    auto* failure = new QLabel(keptWords(unreadableText()), stack);
    failure->setObjectName(u"unreadable"_s);
    failure->setAlignment(Qt::AlignCenter);
    failure->setWordWrap(true);
    failure->setAccessibleName(unreadableText());
    stack->addWidget(failure);
    auto* boxLayout = new QVBoxLayout(this);
    boxLayout->addWidget(stack);
}

void RecordsPart::showReadable(bool readable)
{
    stack->setCurrentIndex(readable ? 0 : 1);
}

QLabel* emptyNote(const QString& name, QWidget* host)
{
    auto* note = new QLabel(noSheetsText(), host);
    note->setObjectName(name);
    note->setFont(Fonts::gothic(12, true));
    note->setAccessibleName(note->text());
    // Over the grid or the rows' stripes, in the colours of the window.
    note->setAutoFillBackground(true);
    note->setMargin(8);
    note->hide();
    auto* centre = new QVBoxLayout(host);
    centre->addWidget(note, 0, Qt::AlignCenter);
    return note;
}
