// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/child_chooser.h"

#include "app/children_commands.h"
#include "practice/practice.h"
#include "practice/shown_child.h"
#include "printing/fonts.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBoundaryFinder>

#include <functional>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Names in rows of this many: thirty children still fit a small screen.
constexpr int NamesPerRow = 4;
// Every name's button is this big, whatever the name, so the rows line up.
constexpr QSize NameButton(200, 64);
// From the size the chooser's names are shown at down to the smallest that
// is still easily read.
constexpr double NameSizes[] = {15.75, 14.25, 12.75, 11.25, 10.5};

// The width a name may take on its button.
int textWidth(const QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    return button->width() - 2 * margin
        - 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
}

// The name as its button shows it: on one line when it fits, else on two,
// broken where the longer line is shortest (between words when that fits),
// at the largest size of NameSizes it fits. A name never fitting even so (it is
// longer than names may be) takes the smallest size, two lines.
std::pair<QString, QFont> fittedName(const QString& name, int width)
{
    QList<qsizetype> breaks;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, name);
    for (qsizetype at = graphemes.toNextBoundary(); at > 0 && at < name.size();
         at = graphemes.toNextBoundary())
        breaks.append(at);
    QString twoLines = name;
    for (const double size : NameSizes) {
        const QFont font = Fonts::gothic(size, true);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(name) <= width)
            return {name, font};
        // Between words when the lines fit so, else anywhere.
        for (const bool betweenWords : {true, false}) {
            int longest = std::numeric_limits<int>::max();
            for (const qsizetype at : breaks) {
                if (betweenWords && !name[at - 1].isSpace())
                    continue;
                const int line = std::max(metrics.horizontalAdvance(name.left(at)),
                    metrics.horizontalAdvance(name.mid(at)));
                if (line < longest) {
                    longest = line;
                    twoLines = name.left(at) + u'\n' + name.mid(at);
                }
            }
            if (longest <= width)
                return {twoLines, font};
        }
    }
    return {twoLines, Fonts::gothic(NameSizes[std::size(NameSizes) - 1], true)};
}

} // namespace

ChildChooser::ChildChooser(Practice& practice, ChildrenCommands& commands, QWidget* parent)
    : QDialog(parent)
    , practice(practice)
    , commands(commands)
{
    setObjectName(u"childChooser"_s);
    setWindowTitle(u"Varolin"_s);
    setFont(Fonts::gothic(11.25, true));
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(u"だれが れんしゅう しますか？"_s, this);
    question->setFont(Fonts::gothic(15.75, true));
    question->setAlignment(Qt::AlignCenter);
    layout->addWidget(question);
    names = new QGridLayout;
    names->setSpacing(10);
    layout->addLayout(names);
    layout->addSpacing(12);

    auto* commandRow = new QHBoxLayout;
    commandRow->addStretch();
    const auto addCommand
        = [&](const char* name, const QString& caption, std::function<bool()> command) {
              auto* button = new QPushButton(caption, this);
              button->setObjectName(QLatin1StringView(name));
              button->setFont(Fonts::gothic(9.75));
              button->setAutoDefault(false);
              connect(button, &QPushButton::clicked, this, [this, command] {
                  if (command())
                      showChildren();
              });
              commandRow->addWidget(button);
          };
    addCommand("addChildButton", u"こどもを ふやす"_s, [this] { return this->commands.add(this); });
    addCommand(
        "renameChildButton", u"なまえを かえる"_s, [this] { return this->commands.rename(this); });
    addCommand(
        "removeChildButton", u"こどもを けす"_s, [this] { return this->commands.remove(this); });
    layout->addLayout(commandRow);
    // A class's roster is the teacher's to change, on the server.
    for (int i = 0; i < commandRow->count(); ++i) {
        if (QWidget* command = commandRow->itemAt(i)->widget())
            command->setVisible(practice.rosterEditable());
    }
    offeredChild = practice.lastChild();
    showChildren();
    // The roster read from the server may come while the chooser is open.
    connect(&practice, &Practice::childrenChanged, this, &ChildChooser::showChildren);
}

void ChildChooser::showChildren()
{
    while (QLayoutItem* item = names->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    offered = nullptr;
    const QList<Child>& children = practice.children();
    // The child of last time may have been removed meanwhile.
    offeredChild = childStillThere(children, offeredChild).value_or(0);
    QStringList childNames;
    for (const Child& child : children)
        childNames << child.name;
    for (int i = 0; i < children.size(); ++i) {
        const Child& child = children[i];
        // Two children of a class may share a name: their numbers in the
        // class tell them apart, as on the class's own list.
        const QString name = child.number > 0 && childNames.count(child.name) > 1
            ? u"%1 %2"_s.arg(child.number).arg(child.name)
            : child.name;
        auto* button = new QPushButton(this);
        button->setObjectName(u"childButton%1"_s.arg(i));
        button->setFixedSize(NameButton);
        const auto [shown, font] = fittedName(name, textWidth(button));
        button->setText(shown);
        button->setFont(font);
        button->setToolTip(name);
        button->setAccessibleName(name);
        names->addWidget(button, i / NamesPerRow, i % NamesPerRow);
        // At once, not when the layout would: the size below counts it.
        button->show();
        const qint64 id = child.id;
        connect(button, &QPushButton::clicked, this, [this, id] {
            offeredChild = id;
            accept();
        });
        if (id == offeredChild)
            offered = button;
    }
    if (offered) {
        offered->setDefault(true);
        offered->setFocus();
    }
    adjustSize();
    // Grown by a roster read while it is open, it stays over the window.
    if (isVisible() && parentWidget()) {
        QRect placed = frameGeometry();
        placed.moveCenter(parentWidget()->window()->frameGeometry().center());
        move(placed.topLeft());
    }
}

void ChildChooser::done(int result)
{
    // Closed or Escape: the child offered practises, as Enter would choose.
    if (!answered) {
        answered = true;
        if (childWithId(practice.children(), offeredChild))
            Q_EMIT chosen(offeredChild);
    }
    QDialog::done(result);
}
