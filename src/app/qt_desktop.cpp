#include "app/qt_desktop.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>

#include <canberra.h>

using namespace Qt::StringLiterals;

QtDesktop::QtDesktop()
    : lifetime(std::make_unique<QObject>())
{
    // Connecting to the sound server can take a moment; do it once the
    // window is up rather than on the first wrong digit.
    QTimer::singleShot(0, lifetime.get(), [this] {
        if (!soundTried)
            openSound();
    });
}

QtDesktop::~QtDesktop()
{
    if (sound)
        ca_context_destroy(sound);
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
    case Buttons::YesNoCancel:
        add(u"はい"_s, QMessageBox::YesRole, Answer::Yes);
        add(u"いいえ"_s, QMessageBox::NoRole, Answer::No);
        add(u"キャンセル"_s, QMessageBox::RejectRole, Answer::Cancel);
        break;
    }
    box.setDefaultButton(choices.front().button);
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

bool QtDesktop::openSound()
{
    soundTried = true;
    if (!sound && ca_context_create(&sound) != CA_SUCCESS) {
        sound = nullptr;
        return false;
    }
    ca_context_change_props(sound, CA_PROP_APPLICATION_NAME, "Varolin", nullptr);
    return ca_context_open(sound) == CA_SUCCESS;
}

void QtDesktop::beep()
{
    // The X bell is silent on most desktops (and absent on Wayland), so the
    // desktop's own "bell" event sound is played; playback is asynchronous.
    if (!soundTried)
        openSound();
    if (sound
        && ca_context_play(sound, 0, CA_PROP_EVENT_ID, "bell", CA_PROP_EVENT_DESCRIPTION,
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

QDateTime QtDesktop::now()
{
    return QDateTime::currentDateTime();
}

std::uint32_t QtDesktop::randomSeed()
{
    return QRandomGenerator::system()->generate();
}
