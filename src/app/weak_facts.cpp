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
    // Over the key beside the map, where there is room to spare in height.
    count = new QLabel(this);
    count->setObjectName(u"knownFacts"_s);
    count->setFont(Fonts::gothic(12, true));
    count->setWordWrap(true);
    count->hide();
    map = new FactMap(this);
    map->setFont(plain);
    map->setAccessibleName(name);
    map->setWords(words);
    if (legend == Legend::Beside) {
        auto* mapRow = new QHBoxLayout;
        mapRow->addWidget(map, 2);
        // The signs first: they say how each fact stands; the shades and
        // dots say how its last answers went.
        QString signs;
        for (FactState state : {FactState::Known, FactState::Met, FactState::Slow})
            signs += factSign(state) + u' ' + factStateText(state) + u'\n';
        signs.replace(u"・"_s, u"・\n　 "_s);
        signs += u"□ "_s + factStateText(FactState::NotMet) + u"\n\n"_s;
        auto* key = new QLabel(signs
                + u"さいごの 10まい\nいろが こいほど\nじかんが かかった\nあかい まるは\nまちがえた"_s,
            this);
        key->setObjectName(u"factKey"_s);
        key->setFont(Fonts::gothic(9));
        key->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto* keyColumn = new QVBoxLayout;
        keyColumn->addWidget(count);
        keyColumn->addSpacing(4);
        keyColumn->addWidget(key, 1);
        mapRow->addSpacing(8);
        mapRow->addLayout(keyColumn, 1);
        layout->addLayout(mapRow);
    } else {
        layout->addWidget(count);
        layout->addWidget(map);
    }
    slowest = new QLabel(this);
    slowest->setObjectName(u"slowestFacts"_s);
    slowest->setFont(plain);
    slowest->setWordWrap(true);
    layout->addWidget(slowest);
}

void WeakFacts::setFacts(Kind kind, const QList<FactStat>& facts, const KnownFacts* known)
{
    map->setFacts(kind, facts, known);
    count->setVisible(known);
    if (known) {
        const QString text = u"おぼえた もんだい： %1/%2"_s.arg(known->known()).arg(known->outOf());
        count->setText(keptWords(text));
        count->setAccessibleName(text);
    }
    const QString text = slowestSentence(kind, facts, words);
    slowest->setText(keptWords(text));
    slowest->setAccessibleName(text);
}
