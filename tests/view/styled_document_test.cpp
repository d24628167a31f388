#include "view/styled_document.h"

#include "view/entry_styles.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace lexivoce::view {
namespace {

TEST(StyledDocument, ItemsKeepTheirParagraphs)
{
    TStyledDocument doc;
    QSignalSpy formatted(&doc, &TStyledDocument::Formatted);
    QSignalSpy cleared(&doc, &TStyledDocument::Cleared);

    doc.AddText(QStringLiteral("first"), tsNoun, kContinuePara); // the first item always opens a paragraph
    doc.AddPicture(bulletExample, psNormalText);
    doc.AddText(QStringLiteral("to go"), tsExample, kContinuePara);
    doc.AddText(QStringLiteral(": đi"), tsTranslation, kContinuePara);
    doc.AddText(QString(), tsHeadWord, psHeadWord);
    doc.Format();

    ASSERT_EQ(doc.ItemCount(), 5);
    EXPECT_TRUE(doc.StartsParagraph(0));
    EXPECT_EQ(doc.ParagraphStyleOf(0), psHeadWord);
    EXPECT_EQ(doc.ItemStyle(1), kPictureStyle);
    EXPECT_EQ(doc.ParagraphStyleOf(3), psNormalText);
    EXPECT_FALSE(doc.StartsParagraph(3));
    EXPECT_EQ(doc.PlainText(), QStringLiteral("first\n\u2022 to go: đi\n"));
    EXPECT_EQ(formatted.count(), 1);

    doc.Clear();
    EXPECT_EQ(doc.ItemCount(), 0);
    EXPECT_EQ(cleared.count(), 1);
}

TEST(StyledDocument, EntryStylesHaveTheirJumpsAndTheFooterBorder)
{
    const TStyleSheet &sheet = EntryStyleSheet();
    ASSERT_EQ(sheet.TextStyles.size(), 9);
    ASSERT_EQ(sheet.ParaStyles.size(), 6);
    // Items in these styles are what Enter and a click follow.
    for (int style = 0; style < sheet.TextStyles.size(); ++style) {
        const bool jump = style == tsHeadWord || style == tsIdiom || style == tsExample;
        EXPECT_EQ(sheet.TextStyles[style].Jump, jump) << style;
    }
    EXPECT_EQ(sheet.ParaStyles[psFooter].BorderSides, bsTop);
    EXPECT_EQ(sheet.ParaStyles[psFooter].Alignment, TAlignment::Right);
}

} // namespace
} // namespace lexivoce::view
