// SPDX-License-Identifier: GPL-3.0-or-later
// What the child or the teacher is told when something cannot be kept or
// sent: the texts of every problem the practice reports.
#include "app/desktop.h"
#include "app/main_window.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

// What a child reads when the server will not have this machine.
QString notInClassText()
{
    return u"この コンピューターは クラスに つながりません。\rせんせいに しらせてください。"_s;
}

// Why the class server could not be used, as a child or a teacher is told.
QString classRefusedText(Failed problem)
{
    switch (problem) {
    case Failed::PasswordFileMissing:
        return u"クラスの パスワードの ファイルが ありません。"_s;
    case Failed::PasswordFileUnreadable:
        return u"クラスの パスワードの ファイルが よめません。"_s;
    case Failed::PasswordFileExposed:
        return u"クラスの パスワードの ファイルを だれでも よめます。\rせんせいに しらせて ください。"_s;
    case Failed::ConnectionUnusable:
    case Failed::LoginRefused:
    case Failed::PrivilegeRefused:
    case Failed::LoginTooPowerful:
        // Nothing the child typed: this machine's login or its class.ini.
        // What failed went to the standard error, and behind the details.
        return notInClassText();
    case Failed::NewerServer:
        return u"クラスの サーバーが この Varolin より あたらしく なっています。\rVarolin を あたらしく してください。"_s;
    default:
        break;
    }
    return u"クラスの サーバーに きろくを おくれませんでした。"_s;
}

} // namespace

void MainWindow::tellProblem(const Practice::Report& report)
{
    if (toldLater) {
        toldLater->append(report);
        return;
    }
    const QString path = QDir::toNativeSeparators(report.path);
    QString title = u"ほぞん できません"_s;
    QString prompt;
    switch (report.problem) {
    case Practice::Problem::SettingsUnusable:
        prompt
            = u"せっていの ファイルが つかえません。\rハイスコアは こんかい かぎりに なります。"_s;
        break;
    case Practice::Problem::SettingsNotSaved:
        prompt = u"ハイスコアの きろくを ほぞん できませんでした。"_s;
        break;
    case Practice::Problem::SettingsNotSavedLastTime:
        prompt = u"まえに おわった ときの ハイスコアを ほぞん できませんでした。"_s;
        break;
    case Practice::Problem::RecordsMovedAside:
        title = u"きろく"_s;
        prompt
            = u"きろくの ファイルが こわれていました。\rもとの ファイルは つぎの なまえで のこして、あたらしい きろくを はじめます。"_s;
        break;
    case Practice::Problem::SheetNotKept:
        title = u"きろく"_s;
        prompt = u"きろくを ほぞん できません。\rドリルは このまま つづけられます。"_s;
        break;
    case Practice::Problem::ClassConfigUnusable:
        title = u"クラス"_s;
        prompt
            = u"クラスの せっていの ファイルが つかえません。\rきろくは この コンピューターだけに のこします。"_s;
        break;
    case Practice::Problem::ClassRefused:
        title = u"クラス"_s;
        prompt = classRefusedText(report.classProblem.value_or(Failed::ServerFailed))
            + u"\rきろくは この コンピューターに のこります。\rドリルは このまま つづけられます。"_s;
        break;
    case Practice::Problem::ClassUnknown:
        title = u"クラス"_s;
        prompt = notInClassText() + u"\rきろくは この コンピューターに のこります。"_s;
        break;
    case Practice::Problem::SheetsRefused:
        title = u"クラス"_s;
        prompt
            = u"クラスに いない こどもの きろくは おくれません。\rきろくは この コンピューターに のこります。\rせんせいに しらせてください。"_s;
        break;
    }
    ask(desktop, this, prompt + u"\r\r"_s + path, title, Desktop::Buttons::Ok,
        Desktop::Icon::Warning, report.detail);
}
