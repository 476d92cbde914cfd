// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/csv_text.h"

#include "drill/kind_text.h"

#include <QSaveFile>
#include <QStringList>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// Quoted when it holds a comma, a quote or a line break (RFC 4180).
QString csvField(const QString& field)
{
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\r')
        && !field.contains(u'\n'))
        return field;
    return u'"' + QString(field).replace(u"\""_s, u"\"\""_s) + u'"';
}

// A text that begins like a formula (=, +, -, @, or a tab or carriage return
// before one) would be calculated by a spreadsheet, and could run whatever it
// names: a leading apostrophe keeps it text.
QString textField(const QString& text)
{
    static const QString formulaStarts = u"=+-@\t\r"_s;
    return !text.isEmpty() && formulaStarts.contains(text.front()) ? u'\'' + text : text;
}

} // namespace

QString csvHeader(bool named, bool numbered)
{
    return u"\uFEFFひづけ,じこく,じさ,しゅるい,びょう,まちがい,ハイスコア"_s
        + (named ? u",なまえ"_s : QString()) + (numbered ? u",ばんごう"_s : QString()) + u"\r\n"_s;
}

QString csvLine(const QDateTime& finishedAt, Kind kind, int seconds, int wrongDigits, bool record,
    const std::optional<QString>& name, std::optional<int> number)
{
    const int offset = finishedAt.offsetFromUtc() / 60;
    // "UTC+09:00" rather than "+09:00", which a spreadsheet would take for a
    // formula.
    const QString zone = u"UTC%1%2:%3"_s.arg(QChar(offset < 0 ? u'-' : u'+'))
                             .arg(std::abs(offset) / 60, 2, 10, QChar(u'0'))
                             .arg(std::abs(offset) % 60, 2, 10, QChar(u'0'));
    QStringList fields = {finishedAt.toString(u"yyyy-MM-dd"_s), finishedAt.toString(u"HH:mm:ss"_s),
        zone, kindName(kind), QString::number(seconds), QString::number(wrongDigits),
        QString::number(record ? 1 : 0)};
    if (name)
        fields << textField(*name);
    if (number)
        fields << QString::number(*number);
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(u',') + u"\r\n"_s;
}

bool writeTextFile(const QString& path, const QByteArray& text)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}
