// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/class_start.h"

#include "app/desktop.h"
#include "app/records_view.h"
#include "app/single_instance.h"
#include "class/class_records.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"Varolin クラス"_s;

// The server's own words go last, for whoever keeps the server.
int tell(Desktop& desktop, const QString& text, const QString& detail = {})
{
    ask(desktop, nullptr, detail.isEmpty() ? text : text + u"\r\n\r\n"_s + detail, Title,
        Desktop::Buttons::Ok, Desktop::Icon::Warning);
    return 1;
}

} // namespace

QString classProblemText(ClassProblem problem)
{
    switch (problem) {
    case ClassProblem::PasswordFileMissing:
        return u"パスワードの ファイルが ありません。"_s;
    case ClassProblem::PasswordFileUnreadable:
        return u"パスワードの ファイルを よめません。"_s;
    case ClassProblem::PasswordFileExposed:
        return u"パスワードの ファイルを ほかの ひとも よめます。"
               u"あなただけが よめるように して ください（chmod 600）。"_s;
    case ClassProblem::Unreachable:
        return u"がっこうの サーバーに つながりません。"_s;
    case ClassProblem::LoginRefused:
        return u"サーバーに はいれません。なまえ（role）か パスワードが ちがいます。"_s;
    case ClassProblem::PrivilegeRefused:
        return u"この なまえ（role）では この クラスの きろくを みられません。"_s;
    case ClassProblem::NewerServer:
        return u"サーバーが この Varolin より あたらしく なって います。"
               u"Varolin を あたらしく して ください。"_s;
    case ClassProblem::Failed:
    case ClassProblem::None:
        break;
    }
    return u"サーバーが こたえて くれませんでした。"_s;
}

int runClassView(Desktop& desktop, const QString& programFolder)
{
    // A second start brings this view forward; the drill has a lock of its
    // own, so a teacher may practise and look at the class at once.
    SingleInstance instance(u"varolin-class"_s);
    if (!instance.claim())
        return 0;

    const QString file = findClassConfig();
    if (file.isEmpty()) {
        return tell(desktop,
            u"クラスの せってい（class.ini）が ありません。"
            u"がっこうの サーバーの かかりの ひとに きいて ください。"_s);
    }
    QString why;
    std::optional<ClassConfig> config = readClassConfig(file, &why);
    if (!config) {
        return tell(desktop, u"クラスの せってい（class.ini）が よめません。"_s,
            QDir::toNativeSeparators(why));
    }
    config->teacher = true;
    // Made before the records that ask through it, so it goes after them.
    ClassConnection connection(*config);
    ClassRecords records(connection);
    // The answer is waited for with the event loop running: a second start
    // meanwhile is still answered.
    std::optional<ClassAnswer<bool>> opened;
    QEventLoop waiting;
    whenAnswered(records.open(), &waiting, [&](const ClassAnswer<bool>& answer) {
        opened = answer;
        waiting.quit();
    });
    waiting.exec();
    if (!opened || !*opened) {
        return tell(desktop, classProblemText(opened ? opened->problem : ClassProblem::Failed),
            opened ? opened->detail : QString());
    }
    const ClassViewMaker make = classViewMaker(programFolder);
    if (!make) {
        return tell(
            desktop, u"クラスの がめんを ひらけません。\rVarolin を いれなおして ください。"_s);
    }
    // Made after the records it reads, so it goes first.
    const std::unique_ptr<QWidget> view(make(records, desktop));
    QObject::connect(&instance, &SingleInstance::activationRequested, view.get(), [&view] {
        view->showNormal();
        view->raise();
        view->activateWindow();
    });
    view->show();
    return QApplication::exec();
}
