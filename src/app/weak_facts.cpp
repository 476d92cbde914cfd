// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/weak_facts.h"

#include "app/records_text.h"
#include "app/records_widgets.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QLabel>

using namespace Qt::StringLiterals;

WeakFacts::WeakFacts(const QString& name, Legend legend, QWidget* parent, Words words)
    : QWidget(parent)
    , words(words)
{
    const QFont plain = Fonts::gothic(10.5);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    map = new FactMap(this);
    map->setFont(plain);
    map->setAccessibleName(name);
    map->setWords(words);
    if (legend == Legend::Beside) {
        auto* mapRow = new QHBoxLayout;
        mapRow->addWidget(map, 2);
        auto* key = new QLabel(
            u"さいごの 10まい\n\nいろが こいほど\nじかんが かかった\n\nあかい まるは\nまちがえた"_s,
            this);
        key->setFont(Fonts::gothic(9));
        key->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        mapRow->addSpacing(8);
        mapRow->addWidget(key, 1);
        layout->addLayout(mapRow);
    } else {
        layout->addWidget(map);
    }
    slowest = new QLabel(this);
    slowest->setObjectName(u"slowestFacts"_s);
    slowest->setFont(plain);
    slowest->setWordWrap(true);
    layout->addWidget(slowest);
}

void WeakFacts::setFacts(Kind kind, const QList<FactStat>& facts)
{
    map->setFacts(kind, facts);
    const QString text = slowestSentence(kind, facts, words);
    slowest->setText(keptWords(text));
    slowest->setAccessibleName(text);
}
