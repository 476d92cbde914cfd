// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_view_known.h"

#include "app/class_roster.h"
#include "app/class_view.h"
#include "app/records_text.h"
#include "drill/kind_text.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QStackedWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int Side = 18;

// Shown in the part's place while it is read, as the view's other parts do.
const QString Loading = u"読み込み中…"_s;

// The board asks the column operand first.
QString factOf(Kind kind, const FactOperands& fact)
{
    return QString::number(fact.top) + kindSign(kind) + QString::number(fact.left);
}

QLabel* head(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFont(Fonts::gothic(9));
    label->setAlignment(Qt::AlignCenter);
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    return label;
}

} // namespace

QString knownByText(Kind kind, const FactOperands& fact, int known, int practising)
{
    return factOf(kind, fact) + u"（知っている子 %1/%2 人）"_s.arg(known).arg(practising);
}

ClassKnownMap::ClassKnownMap(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"classKnown"_s);
    setAccessibleName(u"クラスの覚えた問題"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    note = new QLabel(this);
    note->setObjectName(u"knownNote"_s);
    note->setFont(Fonts::gothic(9));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    corner = head(this);
    grid->addWidget(corner, 0, 0);
    for (int i = 0; i < 10; ++i) {
        rowHeads[i] = head(this);
        grid->addWidget(rowHeads[i], i + 1, 0);
        columnHeads[i] = head(this);
        grid->addWidget(columnHeads[i], 0, i + 1);
    }
    for (int i = 0; i < 100; ++i) {
        QLabel* square = head(this);
        square->setFont(Fonts::gothic(7.5));
        square->setFixedSize(Side, Side);
        square->setObjectName(u"known-%1-%2"_s.arg(i / 10).arg(i % 10));
        grid->addWidget(square, i / 10 + 1, i % 10 + 1);
        squares[i] = square;
    }
    auto* mapRow = new QHBoxLayout;
    mapRow->addLayout(grid);
    mapRow->addStretch();
    layout->addLayout(mapRow);
    least = new QLabel(this);
    least->setObjectName(u"leastKnown"_s);
    least->setFont(Fonts::gothic(9.5));
    least->setWordWrap(true);
    least->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(least, 1);
}

void ClassKnownMap::setFacts(const ClassFacts& facts)
{
    const FactGrid& grid = facts.layout;
    const int practising = facts.practising();
    const QList<FactOperands> fewest = facts.leastKnown(10);
    note->setText(practising == 0
            ? u"この種類を練習した児童はまだいません。"_s
            : u"数字は、練習している %1 人のうち覚えた子の数。色が濃いほど多く、"
              u"枠は覚えた子の少ない問題"_s.arg(practising));
    corner->setText(kindSign(facts.kind()));
    for (int i = 0; i < 10; ++i) {
        const bool used = i < grid.size;
        rowHeads[i]->setVisible(used);
        columnHeads[i]->setVisible(used);
        rowHeads[i]->setText(QString::number(grid.firstRow + i));
        columnHeads[i]->setText(QString::number(grid.firstColumn + i));
    }
    for (int row = 0; row < 10; ++row) {
        for (int column = 0; column < 10; ++column) {
            QLabel* square = squares[row * 10 + column];
            const bool used = row < grid.size && column < grid.size && practising > 0;
            square->setVisible(used);
            if (!used)
                continue;
            const FactOperands fact = grid.fact(row, column);
            const int known = facts.knownBy[std::size_t(row * grid.size + column)];
            // From white (nobody) to a deep green (everybody), the number
            // in black or white to read on it; both colours set, so that
            // it reads on a dark desktop too.
            const double share = double(known) / practising;
            const QColor fill = QColor::fromHsvF(0.36, 0.75 * share, 1.0 - 0.5 * share);
            const bool framed = fewest.contains(fact);
            square->setStyleSheet(u"background: %1; color: %2; border: %3;"_s.arg(fill.name(),
                share > 0.55 ? u"white"_s : u"black"_s,
                framed ? u"2px solid #c00000"_s : u"1px solid #b0b0b0"_s));
            square->setText(QString::number(known));
            const QString text = knownByText(facts.kind(), fact, known, practising);
            square->setToolTip(text);
            square->setAccessibleName(text);
        }
    }
    QStringList named;
    for (const FactOperands& fact : fewest) {
        const std::optional<int> place = grid.place(fact);
        const int known = place ? facts.knownBy[std::size_t(*place)] : 0;
        // A fact every child knows is no weakness, however few are left.
        if (known < practising)
            named << knownByText(facts.kind(), fact, known, practising);
    }
    const QString text
        = named.isEmpty() ? QString() : u"覚えた子の少ない問題：\n"_s + named.join(u'\n');
    least->setText(text);
    least->setAccessibleName(text);
}

QWidget* ClassView::buildKnownPart(QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* note = new QLabel(u"1人につき最近の10枚で、新しい3回の答えがどれも3秒以内で間違い"
                            u"なしなら覚えた問題"_s,
        page);
    note->setFont(Fonts::gothic(9));
    note->setWordWrap(true);
    layout->addWidget(note);
    knownPart = new QStackedWidget(page);
    knownMap = new ClassKnownMap(knownPart);
    knownPart->addWidget(knownMap);
    knownMessage = new QLabel(knownPart);
    knownMessage->setObjectName(u"knownMessage"_s);
    knownMessage->setAlignment(Qt::AlignCenter);
    knownMessage->setWordWrap(true);
    knownPart->addWidget(knownMessage);
    layout->addWidget(knownPart, 1);
    return page;
}

void ClassView::readKnown()
{
    const int asked = ++knownAsked;
    table->setKnown(std::nullopt);
    knownMessage->setText(Loading);
    knownPart->setCurrentWidget(knownMessage);
    await(classFacts(records.connection(), shownKind),
        [this, asked](const Outcome<ClassFacts>& read) {
            if (asked != knownAsked)
                return;
            if (!read) {
                // In its place, as the weak facts' are, with what the
                // teacher can do about it; the server's words go to
                // whoever keeps it.
                const FailureText told = failureText(read.failure(), Reader::Adult);
                const QString text = u"覚えた問題を読めませんでした。\n"_s + told.text;
                knownMessage->setText(keptWords(text));
                knownMessage->setAccessibleName(text);
                knownMessage->setToolTip(read.failure().detail);
                return;
            }
            table->setKnown(read.value());
            knownMap->setFacts(read.value());
            knownPart->setCurrentWidget(knownMap);
        });
}
