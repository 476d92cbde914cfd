// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/records_text.h"
#include "drill/kind.h"
#include "drill/known_facts.h"
#include "records/record_store.h"

#include <QWidget>

class FactMap;
class QLabel;

// The weak facts of one kind: the map of the facts, shaded by answer time
// and dotted where a digit was wrong, and below it the sentence naming the
// slowest ("slowestFacts"). The records window shows one child's, with how
// each fact stands and above the map how many are known by heart
// ("knownFacts"); the class view the class's.
class WeakFacts : public QWidget
{
    Q_OBJECT

public:
    // With the legend beside the map, or the map alone.
    enum class Legend { Beside, None };
    // `name` is the map's accessible name.
    WeakFacts(
        const QString& name, Legend legend, QWidget* parent = nullptr, Words words = Words::Child);

    void setFacts(Kind kind, const QList<FactStat>& facts, const KnownFacts* known = nullptr);

private:
    QLabel* count = nullptr;
    FactMap* map = nullptr;
    QLabel* slowest = nullptr;
    Words words;
};
