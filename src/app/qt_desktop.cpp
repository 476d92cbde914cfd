// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_desktop.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLabel>
#include <QLibrary>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QUrl>

#include <canberra.h>

#include <algorithm>

using namespace Qt::StringLiterals;

QtDesktop::QtDesktop() = default;

void QtDesktop::prepareBeep()
{
    if (!soundTried)
        openSound();
}

namespace {

// libcanberra, loaded when the first drill starts rather than with the
// program: it brings half a dozen audio libraries along, and a start-up
// without them is noticeably quicker.
struct Canberra
{
    using Create = int (*)(ca_context**);
    using Destroy = int (*)(ca_context*);
    using Open = int (*)(ca_context*);
    using ChangeProps = int (*)(ca_context*, ...);
    using Play = int (*)(ca_context*, std::uint32_t, ...);

    Create create = nullptr;
    Destroy destroy = nullptr;
    Open open = nullptr;
    ChangeProps changeProps = nullptr;
    Play play = nullptr;

    static const Canberra* load()
    {
        static const Canberra api = [] {
            Canberra loaded;
            QLibrary library(u"canberra"_s, 0);
            if (!library.load())
                return loaded;
            loaded.create = reinterpret_cast<Create>(library.resolve("ca_context_create"));
            loaded.destroy = reinterpret_cast<Destroy>(library.resolve("ca_context_destroy"));
            loaded.open = reinterpret_cast<Open>(library.resolve("ca_context_open"));
            loaded.changeProps
                = reinterpret_cast<ChangeProps>(library.resolve("ca_context_change_props"));
            loaded.play = reinterpret_cast<Play>(library.resolve("ca_context_play"));
            return loaded;
        }();
        const bool complete = api.create && api.destroy && api.open && api.changeProps && api.play;
        return complete ? &api : nullptr;
    }
};

} // namespace

QtDesktop::~QtDesktop()
{
    if (sound)
        Canberra::load()->destroy(sound);
}

QString QtDesktop::displayText(const QString& prompt)
{
    QString text = prompt;
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

Desktop::Answer QtDesktop::showMessage(QWidget* parent, const Message& message)
{
    QMessageBox box(parent);
    box.setWindowTitle(message.title);
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(message.prompt));
    if (!message.details.isEmpty())
        box.setDetailedText(message.details.trimmed());
    switch (message.icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    }

    struct Choice
    {
        QPushButton* button;
        Answer answer;
    };
    std::vector<Choice> choices;
    auto add = [&](const QString& text, QMessageBox::ButtonRole role, Answer answer) {
        choices.push_back({box.addButton(text, role), answer});
    };
    switch (message.buttons) {
    case Buttons::Ok:
        add(u"OK"_s, QMessageBox::AcceptRole, Answer::Ok);
        break;
    case Buttons::OkCancel:
        add(u"OK"_s, QMessageBox::AcceptRole, Answer::Ok);
        add(u"キャンセル"_s, QMessageBox::RejectRole, Answer::Cancel);
        break;
    case Buttons::YesNo:
        add(u"はい"_s, QMessageBox::YesRole, Answer::Yes);
        add(u"いいえ"_s, QMessageBox::NoRole, Answer::No);
        break;
    case Buttons::YesNoDefaultNo:
        add(u"はい"_s, QMessageBox::YesRole, Answer::Yes);
        add(u"いいえ"_s, QMessageBox::NoRole, Answer::No);
        break;
    }
    // A question whose Yes deletes keeps by Enter as well.
    box.setDefaultButton(message.buttons == Buttons::YesNoDefaultNo ? choices.back().button
                                                                    : choices.front().button);
    // Escape and the title bar's close button pick the last, non-committing
    // choice (No or Cancel), or OK when it is the only one.
    box.setEscapeButton(choices.back().button);
    box.exec();
    for (const Choice& choice : choices) {
        if (box.clickedButton() == choice.button)
            return choice.answer;
    }
    return choices.back().answer;
}

Desktop::Answer QtDesktop::showVerdict(
    QWidget* parent, const Message& message, const QList<QRect>& keepClear)
{
    QDialog box(parent);
    box.setObjectName(u"verdict"_s);
    box.setWindowTitle(message.title);
    // The time sentence, then the verdict line after the blank line.
    const QString text = displayText(message.prompt);
    const qsizetype blank = text.lastIndexOf(u"\n\n"_s);
    auto* layout = new QVBoxLayout(&box);
    layout->setContentsMargins(24, 18, 24, 14);
    layout->setSpacing(12);
    const auto line = [&box, layout](const QString& words, const QString& name, double points) {
        auto* label = new QLabel(words, &box);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        QFont font = box.font();
        font.setPointSizeF(points);
        font.setBold(true);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    };
    if (blank >= 0)
        line(text.left(blank), u"verdictTime"_s, 14);
    line(blank >= 0 ? text.mid(blank + 2) : text, u"verdictLine"_s, 18);
    auto* buttons = new QDialogButtonBox(&box);
    QPushButton* ok = buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons, 0, Qt::AlignCenter);
    // The title whole in the title bar, beside the window manager's buttons.
    const QFontMetrics titleFont(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    box.setMinimumWidth(titleFont.horizontalAdvance(message.title) + 160);
    box.adjustSize();

    // Away from where the child finished: a corner of the window that
    // keeps clear of it, the top left first (the last cell is at the bottom
    // right), allowing for a title bar above the box.
    if (const QWidget* over = parent ? parent->window() : nullptr) {
        const QRect area = over->geometry();
        const QSize size = box.size() + QSize(0, 32);
        const int gap = 24;
        for (const QPoint& corner : {area.topLeft() + QPoint(gap, gap),
                 QPoint(area.right() - gap - size.width(), area.top() + gap),
                 QPoint(area.left() + gap, area.bottom() - gap - size.height())}) {
            const QRect place(corner, size);
            if (std::none_of(keepClear.begin(), keepClear.end(),
                    [&place](const QRect& line) { return line.intersects(place); })) {
                box.move(corner);
                break;
            }
        }
    }
    box.exec();
    return Answer::Ok;
}

bool QtDesktop::openSound()
{
    soundTried = true;
    const Canberra* canberra = Canberra::load();
    if (!canberra)
        return false;
    if (!sound && canberra->create(&sound) != CA_SUCCESS) {
        sound = nullptr;
        return false;
    }
    canberra->changeProps(sound, CA_PROP_APPLICATION_NAME, "Varolin", nullptr);
    return canberra->open(sound) == CA_SUCCESS;
}

void QtDesktop::beep()
{
    // The X bell is silent on most desktops (and absent on Wayland), so the
    // desktop's own "bell" event sound is played; playback is asynchronous.
    if (!soundTried)
        openSound();
    if (sound
        && Canberra::load()->play(sound, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
               "wrong digit", nullptr)
            == CA_SUCCESS)
        return;
    QApplication::beep();
}

void QtDesktop::setClipboardText(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}

bool QtDesktop::openFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::unique_ptr<QPrinter> QtDesktop::printer()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

bool QtDesktop::choosePrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void QtDesktop::previewPrint(
    QWidget* parent, QPrinter& printer, const std::function<void(QPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
        [&paint](QPrinter* target) { paint(*target); });
    // Most of the screen, the page as wide as the view: a sheet to read,
    // not a stamp in a small box.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.resize(screen->availableGeometry().size() * 0.85);
    if (auto* fitWidth = dialog.findChild<QAction*>(u"fitWidthAction"_s))
        fitWidth->trigger();
    dialog.exec();
}

qint64 QtDesktop::monotonicMilliseconds()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

QDateTime QtDesktop::now()
{
    return QDateTime::currentDateTime();
}

QString QtDesktop::saveFileName(
    QWidget* parent, const QString& title, const QString& suggestedPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, suggestedPath, filter);
}

bool QtDesktop::tellsWindowPlace() const
{
    return !QGuiApplication::platformName().startsWith(u"wayland"_s);
}

std::uint32_t QtDesktop::randomSeed()
{
    return QRandomGenerator::system()->generate();
}

namespace {

// The input box with the buttons every box of the program has.
void prepareInput(QInputDialog& dialog, const QString& title, const QString& prompt)
{
    dialog.setWindowTitle(title);
    dialog.setLabelText(QtDesktop::displayText(prompt));
    dialog.setOkButtonText(u"OK"_s);
    dialog.setCancelButtonText(u"キャンセル"_s);
}

} // namespace

std::optional<QString> QtDesktop::askText(
    QWidget* parent, const QString& title, const QString& prompt, const QString& text)
{
    QInputDialog dialog(parent);
    prepareInput(dialog, title, prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(text);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue();
}

std::optional<int> QtDesktop::askItem(QWidget* parent, const QString& title, const QString& prompt,
    const QStringList& items, int current)
{
    QInputDialog dialog(parent);
    prepareInput(dialog, title, prompt);
    dialog.setComboBoxItems(items);
    dialog.setComboBoxEditable(false);
    if (current >= 0 && current < items.size())
        dialog.setTextValue(items[current]);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const int chosen = int(items.indexOf(dialog.textValue()));
    return chosen >= 0 ? std::optional<int>(chosen) : std::nullopt;
}
