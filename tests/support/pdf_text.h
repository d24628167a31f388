#pragma once

#include <QFile>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace lexivoce::test {

// The text of each page of a PDF file in reading order; empty when
// the file cannot be read.
inline QStringList PdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    // pdftotext ends the last page with a form feed too.
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// A word of a PDF page and its box, in points from the page's top left.
struct TPdfWord
{
    int Page = 0;
    QString Text;
    QRectF Box;
};

struct TPdfWords
{
    QSizeF PageSize;
    QList<TPdfWord> Words;
};

// Every word of a PDF file with its box, as pdftotext -bbox gives them.
inline TPdfWords PdfWordBoxes(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    TPdfWords result;
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return result;
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression tag(QStringLiteral(
        R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    int page = -1;
    for (const QRegularExpressionMatch &m : tag.globalMatch(html)) {
        if (!m.captured(1).isEmpty()) {
            ++page;
            result.PageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
            continue;
        }
        const QRectF box(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                         QPointF(m.captured(5).toDouble(), m.captured(6).toDouble()));
        result.Words.append({page, m.captured(7), box});
    }
    return result;
}

} // namespace lexivoce::test
