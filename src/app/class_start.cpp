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

// The server's own words are for whoever keeps the server: behind the
// box's details button, not in the sentence.
int tell(Desktop& desktop, const QString& text, const QString& detail = {})
{
    ask(desktop, nullptr, text, Title, Desktop::Buttons::Ok, Desktop::Icon::Warning, detail);
    return 1;
}

} // namespace

QString classProblemText(ClassProblem problem)
{
    switch (problem) {
    case ClassProblem::PasswordFileMissing:
        return u"パスワードのファイルがありません。"_s;
    case ClassProblem::PasswordFileUnreadable:
        return u"パスワードのファイルを読めません。"_s;
    case ClassProblem::PasswordFileExposed:
        return u"パスワードのファイルをほかの人も読めます。"
               u"あなただけが読めるようにしてください（chmod 600）。"_s;
    case ClassProblem::Unreachable:
        return u"学校のサーバーに接続できません。"_s;
    case ClassProblem::ConnectionUnusable:
        return u"学校のサーバーに、クラスの設定（class.ini）のとおりには接続できません"
               u"（証明書、TLS、パスワードの方式）。"
               u"学校のサーバーの担当者にお問い合わせください。"_s;
    case ClassProblem::LoginRefused:
        return u"サーバーにログインできません。ロール名（role）かパスワードが違います。"_s;
    case ClassProblem::LoginTooPowerful:
        return u"このロール名（role）はサーバーの管理者の権限を持つため、使いません。"
               u"先生用のロールを使ってください。"_s;
    case ClassProblem::PrivilegeRefused:
        return u"このロール名（role）では、このクラスの記録を見られません。"_s;
    case ClassProblem::NewerServer:
        return u"サーバーがこの Varolin より新しくなっています。"
               u"Varolin を更新してください。"_s;
    case ClassProblem::Failed:
    case ClassProblem::None:
        break;
    }
    return u"サーバーが応答しませんでした。"_s;
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
            u"クラスの設定（class.ini）がありません。"
            u"学校のサーバーの担当者にお問い合わせください。"_s);
    }
    QString why;
    std::optional<ClassConfig> config = readClassConfig(file, &why);
    if (!config) {
        return tell(
            desktop, u"クラスの設定（class.ini）を読めません。"_s, QDir::toNativeSeparators(why));
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
    // A server away (switched off, the network down) may come back: the
    // view opens and says so, and reading again tries it. A refusal stays
    // one until class.ini or the server changes, and ends here.
    const bool away = opened && !*opened && opened->problem == ClassProblem::Unreachable;
    if ((!opened || !*opened) && !away) {
        return tell(desktop, classProblemText(opened ? opened->problem : ClassProblem::Failed),
            opened ? opened->detail : QString());
    }
    const ClassViewMaker make = classViewMaker(programFolder);
    if (!make) {
        return tell(desktop, u"クラスの画面を開けません。\rVarolin を入れ直してください。"_s);
    }
    // Made after the records it reads, so it goes first.
    const std::unique_ptr<QWidget> view(
        make(records, desktop, away ? static_cast<const ClassFailure*>(&*opened) : nullptr));
    QObject::connect(&instance, &SingleInstance::activationRequested, view.get(), [&view] {
        view->showNormal();
        view->raise();
        view->activateWindow();
    });
    view->show();
    return QApplication::exec();
}
