// SPDX-License-Identifier: GPL-3.0-or-later
// What each reader is told of each failure: the one table of the program's
// failure texts. A child reads hiragana and what to do next; the teacher or
// parent reads plain adult Japanese.
#include "drill/failure.h"

using namespace Qt::StringLiterals;

namespace {

// What a child reads when the server will not have this machine: nothing
// the child typed, but this machine's login or its class.ini.
QString notInClassText()
{
    return u"この コンピューターは クラスに つながりません。\rせんせいに しらせてください。"_s;
}

// Why the class server could not be used, as the child is told.
QString childServerText(Failed what)
{
    switch (what) {
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
        return notInClassText();
    case Failed::NewerServer:
        return u"クラスの サーバーが この Varolin より あたらしく なっています。\rVarolin を あたらしく してください。"_s;
    default:
        break;
    }
    return u"クラスの サーバーに きろくを おくれませんでした。"_s;
}

FailureText forChild(Failed what)
{
    if (isServerFailure(what)) {
        return {u"クラス"_s,
            childServerText(what)
                + u"\rきろくは この コンピューターに のこります。\rドリルは このまま つづけられます。"_s};
    }
    const QString keep = u"ほぞん できません"_s;
    const QString records = u"きろく"_s;
    const QString klass = u"クラス"_s;
    switch (what) {
    case Failed::SettingsUnusable:
        return {keep,
            u"せっていの ファイルが つかえません。\rハイスコアは こんかい かぎりに なります。"_s};
    case Failed::SettingsNotSaved:
        return {keep, u"ハイスコアの きろくを ほぞん できませんでした。"_s};
    case Failed::SettingsNotSavedLastTime:
        return {keep, u"まえに おわった ときの ハイスコアを ほぞん できませんでした。"_s};
    case Failed::RecordsMovedAside:
        return {records,
            u"きろくの ファイルが こわれていました。\rもとの ファイルは つぎの なまえで のこして、あたらしい きろくを はじめます。"_s};
    case Failed::RecordsUnusable:
    case Failed::RecordsLocked:
    case Failed::SheetNotKept:
        return {records, u"きろくを ほぞん できません。\rドリルは このまま つづけられます。"_s};
    case Failed::ClassConfigMissing:
    case Failed::ClassConfigUnusable:
        return {klass,
            u"クラスの せっていの ファイルが つかえません。\rきろくは この コンピューターだけに のこします。"_s};
    case Failed::ClassUnknown:
        return {klass, notInClassText() + u"\rきろくは この コンピューターに のこります。"_s};
    case Failed::SheetsRefused:
        return {klass,
            u"クラスに いない こどもの きろくは おくれません。\rきろくは この コンピューターに のこります。\rせんせいに しらせてください。"_s};
    case Failed::PrintFailed:
    case Failed::PrintCancelled:
        return {u"いんさつ"_s, u"いんさつ できませんでした。"_s};
    case Failed::FileNotWritten:
        return {keep, u"ファイルを ほぞん できませんでした。"_s};
    default:
        break;
    }
    return {keep, u"ほぞん できません。"_s};
}

FailureText forAdult(Failed what)
{
    const QString title = u"Varolin クラス"_s;
    switch (what) {
    case Failed::ClassConfigMissing:
        return {title,
            u"クラスの設定（class.ini）がありません。学校のサーバーの担当者にお問い合わせください。"_s};
    case Failed::ClassConfigUnusable:
        return {title, u"クラスの設定（class.ini）を読めません。"_s};
    case Failed::PasswordFileMissing:
        return {title, u"パスワードのファイルがありません。"_s};
    case Failed::PasswordFileUnreadable:
        return {title, u"パスワードのファイルを読めません。"_s};
    case Failed::PasswordFileExposed:
        return {title,
            u"パスワードのファイルをほかの人も読めます。あなただけが読めるようにしてください（chmod 600）。"_s};
    case Failed::ServerAway:
        return {title, u"学校のサーバーに接続できません。"_s};
    case Failed::ConnectionUnusable:
        return {title,
            u"学校のサーバーに、クラスの設定（class.ini）のとおりには接続できません"
            u"（証明書、TLS、パスワードの方式）。学校のサーバーの担当者にお問い合わせください。"_s};
    case Failed::LoginRefused:
        return {title, u"サーバーにログインできません。ロール名（role）かパスワードが違います。"_s};
    case Failed::LoginTooPowerful:
        return {title,
            u"このロール名（role）はサーバーの管理者の権限を持つため、使いません。先生用のロールを使ってください。"_s};
    case Failed::PrivilegeRefused:
        return {title, u"このロール名（role）では、このクラスの記録を見られません。"_s};
    case Failed::NewerServer:
        return {title,
            u"サーバーがこの Varolin より新しくなっています。Varolin を更新してください。"_s};
    case Failed::ServerFailed:
    case Failed::ClassUnknown:
    case Failed::SheetsRefused:
        return {title, u"サーバーが応答しませんでした。"_s};
    case Failed::PrintFailed:
    case Failed::PrintCancelled:
        return {u"印刷"_s, u"印刷できませんでした。"_s};
    case Failed::FileNotWritten:
        return {u"保存"_s, u"ファイルを保存できませんでした。"_s};
    case Failed::RecordsUnusable:
    case Failed::RecordsLocked:
        return {u"記録"_s, u"記録を読み書きできません。"_s};
    default:
        break;
    }
    // The machine's own files: the parent reads what the child reads.
    return forChild(what);
}

const char* failureName(Failed what)
{
    switch (what) {
    case Failed::SettingsUnusable:
        return "the settings file cannot be used";
    case Failed::SettingsNotSaved:
        return "the settings could not be saved";
    case Failed::SettingsNotSavedLastTime:
        return "the settings were not saved at the last end";
    case Failed::RecordsUnusable:
        return "the records cannot be opened";
    case Failed::RecordsLocked:
        return "the records are locked by another program";
    case Failed::RecordsMovedAside:
        return "a damaged records file was moved aside";
    case Failed::SheetNotKept:
        return "a sheet could not be stored";
    case Failed::ClassConfigMissing:
        return "no class.ini";
    case Failed::ClassConfigUnusable:
        return "class.ini cannot be used";
    case Failed::PasswordFileMissing:
        return "the password file is missing";
    case Failed::PasswordFileUnreadable:
        return "the password file cannot be read";
    case Failed::PasswordFileExposed:
        return "the password file may be read by others";
    case Failed::ServerAway:
        return "the class server does not answer";
    case Failed::ConnectionUnusable:
        return "the class server cannot be reached as class.ini asks";
    case Failed::LoginRefused:
        return "the class server refused the login";
    case Failed::PrivilegeRefused:
        return "the login may not do this";
    case Failed::LoginTooPowerful:
        return "the login is too powerful to be used";
    case Failed::NewerServer:
        return "the class server is newer than this program";
    case Failed::ServerFailed:
        return "the class server failed";
    case Failed::ClassUnknown:
        return "the class server knows no such class for this login";
    case Failed::SheetsRefused:
        return "sheets of children not on the roster stay on this computer";
    case Failed::PrintFailed:
        return "printing failed";
    case Failed::PrintCancelled:
        return "printing was cancelled";
    case Failed::FileNotWritten:
        return "a file could not be written";
    }
    return "failed";
}

} // namespace

bool isServerFailure(Failed what)
{
    switch (what) {
    case Failed::PasswordFileMissing:
    case Failed::PasswordFileUnreadable:
    case Failed::PasswordFileExposed:
    case Failed::ServerAway:
    case Failed::ConnectionUnusable:
    case Failed::LoginRefused:
    case Failed::PrivilegeRefused:
    case Failed::LoginTooPowerful:
    case Failed::NewerServer:
    case Failed::ServerFailed:
        return true;
    default:
        return false;
    }
}

FailureText failureText(const Failure& failure, Reader reader)
{
    // The administrator reads the adult's words; the details come apart.
    return reader == Reader::Child ? forChild(failure.what) : forAdult(failure.what);
}

QString failureLog(const Failure& failure)
{
    QString line = u"Varolin: "_s + QString::fromLatin1(failureName(failure.what));
    if (!failure.path.isEmpty())
        line += u" ("_s + failure.path + u')';
    if (!failure.state.isEmpty())
        line += u" ["_s + failure.state + u']';
    if (!failure.detail.isEmpty())
        line += u": "_s + failure.detail;
    return line;
}
