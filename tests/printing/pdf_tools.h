// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reading back what Varolin printed to PDF, with the poppler tools.

#include <QHash>
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
        && !tool(QStringLiteral("pdfinfo")).isEmpty() && !tool(QStringLiteral("pdftoppm")).isEmpty()
        && !tool(QStringLiteral("pdftohtml")).isEmpty();
}

// Why a test that reads PDF fails without them (tools/setup.sh installs them).
inline constexpr char Missing[] = "poppler-utils (pdftotext, pdfinfo, pdftoppm, pdftohtml) "
                                  "are not installed";

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

struct Run
{
    QString text;
    double points = 0; // the font size
};

// The first page's size, in points.
inline QSizeF pageSize(const QString& pdf);

// The runs of text of page `page` (from 1) with their font sizes.
inline QList<Run> runs(const QString& pdf, int page)
{
    const QString xml = QString::fromUtf8(run(QStringLiteral("pdftohtml"),
        {QStringLiteral("-xml"), QStringLiteral("-i"), QStringLiteral("-f"), QString::number(page),
            QStringLiteral("-l"), QString::number(page), QStringLiteral("-stdout"), pdf}));
    // pdftohtml scales the page, and the sizes with it, by a zoom of its own.
    static const QRegularExpression pagePattern(
        QStringLiteral(R"re(<page [^>]*width="([\d.]+)")re"));
    const double zoom = pagePattern.match(xml).captured(1).toDouble() / pageSize(pdf).width();
    static const QRegularExpression fontPattern(
        QStringLiteral(R"re(<fontspec id="(\d+)" size="(-?[\d.]+)")re"));
    QHash<QString, double> sizes;
    for (const QRegularExpressionMatch& m : fontPattern.globalMatch(xml))
        sizes.insert(m.captured(1), m.captured(2).toDouble() / zoom);
    static const QRegularExpression textPattern(
        QStringLiteral(R"re(<text [^>]*font="(\d+)"[^>]*>(.*?)</text>)re"));
    QList<Run> found;
    for (const QRegularExpressionMatch& m : textPattern.globalMatch(xml))
        found.append({QTextDocumentFragment::fromHtml(m.captured(2)).toPlainText(),
            sizes.value(m.captured(1))});
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
