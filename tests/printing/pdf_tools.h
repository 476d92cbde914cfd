// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading back what Varolin printed to PDF, with the poppler tools.

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

namespace Pdf {

inline QString tool(const QString& name)
{
    return QStandardPaths::findExecutable(name);
}

inline bool toolsPresent()
{
    return !tool(QStringLiteral("pdftotext")).isEmpty()
        && !tool(QStringLiteral("pdfinfo")).isEmpty()
        && !tool(QStringLiteral("pdftoppm")).isEmpty();
}

inline QByteArray run(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(tool(name), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

struct Word
{
    QString text;
    QRectF box; // points from the page's top-left corner
};

// The words of page `page` (from 1), or of every page when it is 0.
inline QList<Word> words(const QString& pdf, int page = 0)
{
    QStringList arguments{QStringLiteral("-bbox")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
                  << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    const QString html = QString::fromUtf8(run(QStringLiteral("pdftotext"), arguments));
    static const QRegularExpression pattern(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*?)</word>)re"));
    QList<Word> found;
    for (const QRegularExpressionMatch& m : pattern.globalMatch(html)) {
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        found.append({QTextDocumentFragment::fromHtml(m.captured(5)).toPlainText(),
            QRectF(topLeft, bottomRight)});
    }
    return found;
}

inline int pages(const QString& pdf)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}));
    static const QRegularExpression pattern(
        QStringLiteral(R"(^Pages:\s+(\d+)$)"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = pattern.match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The size of the first page, in points.
inline QSizeF pageSize(const QString& pdf)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {pdf}));
    static const QRegularExpression pattern(QStringLiteral(R"(^Page size:\s+([\d.]+) x ([\d.]+))"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = pattern.match(info);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// The first page in grey at `dpi` dots per inch.
inline QImage render(const QString& pdf, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dpi),
            QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".pgm"));
}

} // namespace Pdf
