#include "view/styled_print.h"

#include "dict/entry_renderer.h"
#include "view/entry_styles.h"

#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QPdfWriter>

namespace lexivoce::view {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

class StyledPrint : public test::TempDirTest
{
protected:
    // Entries "word000", "word001"… each with a meaning of its own.
    void AddEntries(int count)
    {
        for (int i = 0; i < count; ++i) {
            const QByteArray n = QByteArray::number(i).rightJustified(3, '0');
            dict::RenderEntry(m_document, "@word" + n + " /w/\r\n*noun\r\n-meaning" + n + " of the word\r\n"
                                          "=an example" + n + "+translation" + n + "\r\n");
        }
    }

    void SetFooter()
    {
        TStyledDocument footer;
        footer.AddText(QStringLiteral("Printed by Lexivoce"), tsFooter, psFooter);
        m_print.SetFooter(footer);
    }

    bool PrintToPdf()
    {
        QPdfWriter writer(m_pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        m_print.AssignSource(m_document);
        return m_print.Print(writer);
    }

    TStyledDocument m_document;
    TStyledPrint m_print;
    QString m_pdf = PathOf(QStringLiteral("out.pdf"));
};

TEST_F(StyledPrint, EveryPageEndsWithTheFooterAndTheEntriesRunOnInOrder)
{
    AddEntries(60);
    SetFooter();
    m_print.TopMarginMm = 10;
    m_print.BottomMarginMm = 10;
    ASSERT_TRUE(PrintToPdf());
    const QStringList pages = test::PdfPages(m_pdf);
    ASSERT_GT(pages.size(), 2) << "sixty entries fill several pages";
    EXPECT_EQ(pages.size(), m_print.PagesCount());

    int next = 0;
    for (int page = 0; page < pages.size(); ++page) {
        SCOPED_TRACE(page);
        QStringList lines = pages[page].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.last().trimmed(), QStringLiteral("Printed by Lexivoce"));
        // Each head word and meaning once, in order: no line lost or
        // printed twice at a page break.
        for (const QString &line : lines) {
            const QString head = QStringLiteral("word%1").arg(next, 3, 10, QLatin1Char('0'));
            if (line.trimmed().startsWith(QStringLiteral("word"))) {
                EXPECT_TRUE(line.trimmed().startsWith(head)) << line.toStdString() << " expected " << head.toStdString();
            }
            if (line.contains(QStringLiteral("translation%1").arg(next, 3, 10, QLatin1Char('0'))))
                ++next;
        }
    }
    EXPECT_EQ(next, 60);
}

TEST_F(StyledPrint, TextKeepsToTheMarginsAndTheFooterSitsAboveTheBottomEdge)
{
    AddEntries(30);
    SetFooter();
    m_print.TopMarginMm = 10;
    m_print.BottomMarginMm = 10;
    ASSERT_TRUE(PrintToPdf());
    const test::TPdfWords words = test::PdfWordBoxes(m_pdf);
    ASSERT_FALSE(words.Words.isEmpty());
    const double side = 20 * kPointsPerMm - 1;
    const double edge = 10 * kPointsPerMm - 1;
    for (const test::TPdfWord &word : words.Words) {
        SCOPED_TRACE(word.Text.toStdString());
        EXPECT_GE(word.Box.left(), side);
        EXPECT_LE(word.Box.right(), words.PageSize.width() - side);
        EXPECT_GE(word.Box.top(), edge);
        EXPECT_LE(word.Box.bottom(), words.PageSize.height() - edge);
        if (word.Text == QStringLiteral("an")) {
            // Examples are indented by 16 screen pixels, then their bullet.
            EXPECT_NEAR(word.Box.left(), (20 * kPointsPerMm) + 12 + 9, 2);
        }
        if (word.Text == QStringLiteral("Lexivoce")) {
            // Right-aligned, its bottom 10 mm above the paper's edge.
            EXPECT_NEAR(word.Box.right(), words.PageSize.width() - 20 * kPointsPerMm, 3);
            EXPECT_NEAR(word.Box.bottom(), words.PageSize.height() - 10 * kPointsPerMm, 4);
        }
    }
}

TEST_F(StyledPrint, AnUnwritableDeviceIsAFailure)
{
    AddEntries(1);
    m_pdf = PathOf(QStringLiteral("no/such/folder/out.pdf"));
    EXPECT_FALSE(PrintToPdf());
}

} // namespace
} // namespace lexivoce::view
