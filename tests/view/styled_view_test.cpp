#include "view/styled_view.h"

#include "dict/entry_renderer.h"
#include "view/entry_styles.h"

#include "tests/support/sample_entry.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>
#include <ostream>
#include <vector>

namespace lexivoce::view {

void PrintTo(const TItemPos &pos, std::ostream *os)
{
    *os << "(" << pos.ItemNo << ", " << pos.Offset << ")";
}

namespace {

using test::kSampleEntry;

// Items of the sample, and the document positions where they start.
enum : int {
    iHead = 0, iPhonetic = 1, iNoun = 2, iMeaning = 3, iBullet = 4, iTo = 5, iLive = 6,
    iTranslation = 8, iIdiomBullet = 14, iLongTranslation = 25, iLast = 26,
};
constexpr int kLastPosition = 231;

class StyledView : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_view.resize(420, 600);
        m_view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_view));
        dict::RenderEntry(*m_view.Document(), QByteArrayView(kSampleEntry));
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(&m_view, key, modifiers);
    }

    // Middle of the character at (item, offset), in viewport coordinates.
    QPoint pointOf(int itemNo, int offset) const
    {
        QTextCursor cursor(m_view.document());
        cursor.setPosition(m_view.DocumentPositionOf({itemNo, offset}));
        const QRect before = m_view.cursorRect(cursor);
        cursor.movePosition(QTextCursor::NextCharacter);
        return {(before.left() + m_view.cursorRect(cursor).left()) / 2, before.center().y()};
    }

    // The view's own model, emptied for a document of the test's own.
    TStyledDocument &emptyModel()
    {
        m_view.Clear();
        return *m_view.Document();
    }

    TStyledView m_view;
};

TEST_F(StyledView, DocumentPositionsMapToItemsAndBack)
{
    struct Case
    {
        const char *Name;
        int Position;
        TItemPos Pos;
    };
    const std::vector<Case> cases = {
        {"start of the first paragraph", 0, {iHead, 1}},
        {"inside an item", 3, {iHead, 4}},
        {"boundary in a paragraph: end of the earlier item", 7, {iHead, 8}},
        {"first character after a boundary", 8, {iPhonetic, 2}},
        {"past the last character of a paragraph", 16, {iPhonetic, 10}},
        {"start of the next paragraph", 17, {iNoun, 1}},
        {"a picture opening its paragraph", 52, {iBullet, 1}},
        {"after the picture", 53, {iBullet, 2}},
        {"inside the word after the picture", 54, {iTo, 2}},
        {"the empty final item", kLastPosition, {iLast, 1}},
        {"beyond the end", kLastPosition + 10, {iLast, 1}},
        {"before the start", -3, {iHead, 1}},
    };
    ASSERT_EQ(m_view.ItemCount(), iLast + 1);
    ASSERT_EQ(m_view.document()->characterCount(), kLastPosition + 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(m_view.ItemPosOf(c.Position), c.Pos);
    }

    EXPECT_EQ(m_view.DocumentPositionOf({iPhonetic, 1}), 7);
    EXPECT_EQ(m_view.DocumentPositionOf({iHead, 8}), 7);
    EXPECT_EQ(m_view.DocumentPositionOf({iPhonetic, 99}), 16) << "offsets clamp to the item";
    EXPECT_EQ(m_view.DocumentPositionOf({iLast, 1}), kLastPosition);
    EXPECT_EQ(m_view.DocumentPositionOf({iLast + 1, 1}), -1);
    for (int pos = 0; pos <= kLastPosition; ++pos)
        ASSERT_EQ(m_view.DocumentPositionOf(m_view.ItemPosOf(pos)), pos) << pos;
}

TEST_F(StyledView, EmptyItemsGiveTheirPlaceToTheirNeighbours)
{
    TStyledDocument &doc = emptyModel();
    doc.AddText(QString(), tsMeaning, psMeaning);
    doc.AddText(QStringLiteral("x"), tsMeaning, kContinuePara);
    doc.AddText(QString(), tsMeaning, kContinuePara);
    doc.AddText(QStringLiteral("y"), tsMeaning, psMeaning);
    doc.Format();
    EXPECT_EQ(m_view.ItemPosOf(0), (TItemPos{1, 1}));
    EXPECT_EQ(m_view.ItemPosOf(1), (TItemPos{1, 2}));
    EXPECT_EQ(m_view.ItemPosOf(2), (TItemPos{3, 1}));
    EXPECT_EQ(m_view.DocumentPositionOf({2, 1}), 1);
}

TEST_F(StyledView, EachItemKeepsItsOwnFragments)
{
    // "to " and "live " share a style: only the item number keeps them apart.
    QList<QString> texts(m_view.ItemCount());
    for (QTextBlock block = m_view.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const int itemNo = it.fragment().charFormat().intProperty(kItemNoProperty);
            ASSERT_TRUE(itemNo >= 0 && itemNo < texts.size());
            texts[itemNo] += it.fragment().text();
        }
    }
    for (int i = 0; i < m_view.ItemCount(); ++i) {
        const bool picture = m_view.ItemStyle(i) == kPictureStyle;
        EXPECT_EQ(texts[i], picture ? QString(QChar::ObjectReplacementCharacter) : m_view.ItemText(i)) << i;
    }
}

TEST_F(StyledView, CaretFollowsSetCaretAndKeys)
{
    for (const TItemPos pos : {TItemPos{iMeaning, 5}, TItemPos{iBullet, 2}, TItemPos{iLast, 1}, TItemPos{iHead, 1}}) {
        m_view.SetCaret(pos);
        EXPECT_EQ(m_view.Caret(), pos);
        EXPECT_FALSE(m_view.HasSelection());
    }
    m_view.SetCaret({iTo, 1});
    EXPECT_EQ(m_view.Caret(), (TItemPos{iBullet, 2})) << "the boundary is reported as the earlier item's end";

    press(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(m_view.Caret(), (TItemPos{iHead, 1}));
    press(Qt::Key_Right, Qt::NoModifier, 7);
    EXPECT_EQ(m_view.Caret(), (TItemPos{iHead, 8}));
    press(Qt::Key_Right);
    EXPECT_EQ(m_view.Caret(), (TItemPos{iPhonetic, 2}));
    press(Qt::Key_Down);
    EXPECT_EQ(m_view.Caret().ItemNo, iNoun);
    press(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(m_view.Caret(), (TItemPos{iLast, 1}));
    EXPECT_FALSE(m_view.HasSelection());

    m_view.SetCaret({iHead, 6});
    press(Qt::Key_Right, Qt::ShiftModifier, 3);
    EXPECT_EQ(m_view.SelectionBounds(), std::make_pair(TItemPos{iHead, 6}, TItemPos{iPhonetic, 2}));
    EXPECT_EQ(m_view.SelectedText(), QStringLiteral("d /"));
}

TEST_F(StyledView, BackwardSelectionKeepsItsAnchorFirst)
{
    m_view.SetCaret({iMeaning, 12});
    press(Qt::Key_Left, Qt::ShiftModifier, 4);
    EXPECT_EQ(m_view.SelectionBounds(), std::make_pair(TItemPos{iMeaning, 12}, TItemPos{iMeaning, 8}));
    EXPECT_EQ(m_view.SelectionBoundsInOrder(), std::make_pair(TItemPos{iMeaning, 8}, TItemPos{iMeaning, 12}));
    EXPECT_EQ(m_view.SelectedText(), QStringLiteral("ngoà"));
    EXPECT_EQ(m_view.Caret(), (TItemPos{iMeaning, 8}));

    m_view.SetCaret({iMeaning, 12});
    EXPECT_FALSE(m_view.HasSelection());
    EXPECT_EQ(m_view.Caret(), (TItemPos{iMeaning, 12}));
}

TEST_F(StyledView, SelectedTextDropsPicturesAndBreaksParagraphs)
{
    m_view.SelectAll();
    QString expected = m_view.Document()->PlainText();
    expected.remove(QStringLiteral("\u2022 "));
    EXPECT_EQ(m_view.SelectedText(), expected);
    EXPECT_EQ(m_view.SelectionBoundsInOrder(), std::make_pair(TItemPos{iHead, 1}, TItemPos{iLast, 1}));
}

TEST_F(StyledView, WordsKeepTheirVietnameseLetters)
{
    for (const QString &form : {QStringLiteral("precomposed"), QStringLiteral("decomposed")}) {
        SCOPED_TRACE(form.toStdString());
        const auto normalize = [&](const QString &s) {
            return form == QStringLiteral("decomposed") ? s.normalized(QString::NormalizationForm_D) : s;
        };
        const QString text = normalize(QStringLiteral("ở nước Việt Nam"));
        TStyledDocument &doc = emptyModel();
        doc.AddText(text, tsMeaning, psMeaning);
        doc.Format();
        for (const QString &word : {normalize(QStringLiteral("nước")), normalize(QStringLiteral("Việt"))}) {
            const TItemPos caret{0, static_cast<int>(text.indexOf(word)) + 3};
            m_view.SetCaret(caret);
            EXPECT_EQ(m_view.WordTextAtCaret(), word);
            EXPECT_FALSE(m_view.HasSelection()) << "reading a word leaves the caret alone";
            EXPECT_EQ(m_view.Caret(), caret);
        }
    }
}

TEST_F(StyledView, GraphemesAreWholeCharacters)
{
    // "Việt" with "ệ" as e, dot below, circumflex: offsets 3 to 6 are one character.
    TStyledDocument &doc = emptyModel();
    doc.AddPicture(bulletExample, psNormalText);
    doc.AddText(QStringLiteral("Vie\u0323\u0302t"), tsExample, kContinuePara);
    doc.Format();
    EXPECT_EQ(m_view.NextGraphemeOffset(1, 3), 6);
    EXPECT_EQ(m_view.PreviousGraphemeOffset(1, 6), 3);
    EXPECT_EQ(m_view.NextGraphemeOffset(1, 7), 7);
    EXPECT_EQ(m_view.PreviousGraphemeOffset(1, 1), 1);
    EXPECT_EQ(m_view.NextGraphemeOffset(0, 1), 2) << "a picture is one character";

    m_view.SetCaret({1, 3});
    press(Qt::Key_Right);
    EXPECT_EQ(m_view.Caret(), (TItemPos{1, 6}));
}

TEST_F(StyledView, TheLineAtTheCaretIsOneVisualLine)
{
    m_view.resize(160, 600);
    m_view.SetCaret({iLongTranslation, 20});

    const QTextBlock block = m_view.document()->findBlock(m_view.DocumentPositionOf({iLongTranslation, 20}));
    const QTextLayout *layout = block.layout();
    ASSERT_GT(layout->lineCount(), 2) << "the paragraph must wrap";
    const auto [start, end] = m_view.LineBoundsAtCaret();
    const int startInBlock = m_view.DocumentPositionOf(start) - block.position();
    const int endInBlock = m_view.DocumentPositionOf(end) - block.position();
    const QTextLine line = layout->lineForTextPosition(startInBlock);
    EXPECT_EQ(startInBlock, line.textStart());
    EXPECT_GT(line.textStart(), 0);
    EXPECT_GT(endInBlock, startInBlock);
    EXPECT_LE(endInBlock, line.textStart() + line.textLength());
    EXPECT_FALSE(m_view.HasSelection()) << "reading a line leaves the caret alone";
    EXPECT_EQ(m_view.Caret(), (TItemPos{iLongTranslation, 20}));
}

TEST_F(StyledView, ClickingAJumpItemRaisesJump)
{
    struct Case
    {
        int ItemNo;
        bool Jumps;
    };
    QSignalSpy jumps(&m_view, &TStyledView::Jump);
    for (const Case c : {Case{iHead, true}, Case{iMeaning, false}, Case{iLive, true}, Case{iTranslation, false}}) {
        SCOPED_TRACE(c.ItemNo);
        jumps.clear();
        QTest::mouseClick(m_view.viewport(), Qt::LeftButton, {}, pointOf(c.ItemNo, 2));
        ASSERT_EQ(jumps.count(), c.Jumps ? 1 : 0);
        if (c.Jumps) {
            EXPECT_EQ(jumps.first().first().toInt(), c.ItemNo);
        }
    }

    jumps.clear();
    QTest::mousePress(m_view.viewport(), Qt::LeftButton, {}, pointOf(iHead, 1));
    QTest::mouseMove(m_view.viewport(), pointOf(iHead, 6));
    QTest::mouseRelease(m_view.viewport(), Qt::LeftButton, {}, pointOf(iHead, 6));
    EXPECT_EQ(jumps.count(), 0) << "a drag selects, it does not jump";
    EXPECT_TRUE(m_view.HasSelection());
}

TEST_F(StyledView, RightClickRemovesTheSelectionButKeepsTheCaret)
{
    m_view.SetCaret({iMeaning, 2});
    press(Qt::Key_Right, Qt::ShiftModifier, 3);
    ASSERT_TRUE(m_view.HasSelection());
    QTest::mouseClick(m_view.viewport(), Qt::RightButton, {}, pointOf(iHead, 2));
    EXPECT_FALSE(m_view.HasSelection());
    EXPECT_EQ(m_view.Caret(), (TItemPos{iMeaning, 5}));
}

TEST_F(StyledView, CopyPlacesPlainTextAndHtml)
{
    m_view.SetCaret({iBullet, 1});
    press(Qt::Key_End, Qt::ShiftModifier);
    m_view.copy();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->formats().contains(QStringLiteral("text/plain")));
    EXPECT_TRUE(data->formats().contains(QStringLiteral("text/html")));
    EXPECT_EQ(data->text(), QStringLiteral("to live abroad: sống ở nước ngoài"));
    EXPECT_TRUE(data->html().contains(QStringLiteral("sống ở nước ngoài")));
    EXPECT_TRUE(data->html().contains(QStringLiteral("data:image/png;base64,"))) << "the bullet travels with the text";
}

TEST_F(StyledView, FragmentsShowTheirStyles)
{
    struct Case
    {
        int ItemNo;
        bool Bold;
        bool Italic;
        int Points;
        QColor Color;
        const char *Font;
        const char *Fallback;
    };
    const QColor windowText = m_view.palette().color(QPalette::WindowText);
    const std::vector<Case> cases = {
        {iHead, true, false, 16, QColor(0, 0, 255), "Verdana", "DejaVu Sans"},
        {iTo, false, true, 12, QColor(0, 128, 0), "Times New Roman", "DejaVu Serif"},
        {iMeaning, false, false, 12, windowText, "Times New Roman", "DejaVu Serif"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ItemNo);
        QTextCursor cursor(m_view.document());
        cursor.setPosition(m_view.DocumentPositionOf({c.ItemNo, 2}));
        const QTextCharFormat format = cursor.charFormat();
        EXPECT_EQ(format.fontWeight() >= QFont::Bold, c.Bold);
        EXPECT_EQ(format.fontItalic(), c.Italic);
        EXPECT_EQ(format.fontPointSize(), c.Points);
        EXPECT_EQ(format.foreground().color(), c.Color);
        const QStringList families = format.fontFamilies().toStringList();
        ASSERT_FALSE(families.isEmpty());
        EXPECT_EQ(families.first(), QString::fromLatin1(c.Font));
        EXPECT_TRUE(families.contains(QString::fromLatin1(c.Fallback)));
        const QString shown = QFontInfo(format.font()).family();
        EXPECT_TRUE(QFontDatabase::writingSystems(shown).contains(QFontDatabase::Vietnamese)) << shown.toStdString();
    }

    const auto blockOf = [&](int itemNo) { return m_view.document()->findBlock(m_view.DocumentPositionOf({itemNo, 1})).blockFormat(); };
    EXPECT_EQ(blockOf(iBullet).leftMargin(), 16);
    EXPECT_EQ(blockOf(iNoun).topMargin(), 7 + 20) << "space after the head word adds to the space before the noun";
}

TEST_F(StyledView, FooterParagraphShowsItsTopBorder)
{
    for (const bool footer : {false, true}) {
        SCOPED_TRACE(footer);
        TStyledDocument &doc = emptyModel();
        doc.AddText(QStringLiteral("một"), tsMeaning, psMeaning);
        if (footer)
            doc.AddText(QStringLiteral("footer"), tsFooter, psFooter);
        doc.Format();
        const QImage image = m_view.viewport()->grab().toImage();
        // Rows dark across nearly the whole width are the border.
        QList<int> ruleRows;
        for (int y = 0; y < image.height(); ++y) {
            int dark = 0;
            for (int x = 10; x < image.width() - 10; ++x)
                dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            if (dark > (image.width() - 20) * 9 / 10)
                ruleRows.append(y);
        }
        if (!footer) {
            EXPECT_TRUE(ruleRows.isEmpty());
            continue;
        }
        ASSERT_FALSE(ruleRows.isEmpty());
        QTextCursor cursor(m_view.document());
        cursor.setPosition(m_view.DocumentPositionOf({1, 1}));
        const QRect text = m_view.cursorRect(cursor);
        EXPECT_LT(ruleRows.last(), text.top()) << "the border lies above the footer text";
        EXPECT_GT(ruleRows.first(), m_view.cursorRect(QTextCursor(m_view.document())).bottom());
        EXPECT_GT(text.left(), image.width() / 2) << "footers are right-aligned";
    }
}

TEST_F(StyledView, BulletsAreImageResources)
{
    const auto imageOf = [&](int itemNo) {
        QTextCursor cursor(m_view.document());
        cursor.setPosition(m_view.DocumentPositionOf({itemNo, 2}));
        const QTextImageFormat format = cursor.charFormat().toImageFormat();
        return qvariant_cast<QImage>(m_view.document()->resource(QTextDocument::ImageResource, QUrl(format.name())));
    };
    const QImage example = imageOf(iBullet);
    EXPECT_EQ(example.size(), QSize(12, 12));
    EXPECT_NE(example.pixel(6, 6), 0u) << "the bullet is drawn";
    EXPECT_NE(imageOf(iIdiomBullet), example);

    QImage red(12, 12, QImage::Format_ARGB32);
    red.fill(Qt::red);
    m_view.SetImage(bulletExample, red);
    EXPECT_EQ(imageOf(iBullet).pixelColor(6, 6), QColor(Qt::red));
}

TEST_F(StyledView, ModelSignalsDriveTheView)
{
    m_view.Clear();
    EXPECT_TRUE(m_view.document()->isEmpty());
    EXPECT_EQ(m_view.Caret(), TItemPos{});

    auto other = std::make_unique<TStyledDocument>();
    other->AddText(QStringLiteral("other"), tsMeaning, psMeaning);
    m_view.SetDocument(other.get());
    EXPECT_EQ(m_view.document()->toPlainText(), QStringLiteral("other"));
    other->AddText(QStringLiteral("more"), tsMeaning, psMeaning);
    m_view.Format();
    EXPECT_EQ(m_view.document()->toPlainText(), QStringLiteral("other\nmore"));

    other.reset();
    EXPECT_EQ(m_view.ItemCount(), 0) << "the view falls back to its own model";
    dict::RenderEntry(*m_view.Document(), QByteArrayView(kSampleEntry));
    EXPECT_EQ(m_view.ItemCount(), iLast + 1);
}

} // namespace
} // namespace lexivoce::view
