// Reading the entry view aloud in the two voices, on a real view.
#include "speech/entry_reader.h"

#include "dict/entry_renderer.h"
#include "speech/fake/fake_voice.h"
#include "speech/markup.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/sample_entry.h"
#include "view/entry_styles.h"
#include "view/styled_view.h"

#include <gtest/gtest.h>

#include <QTest>

namespace lexivoce::speech {
namespace {

// An utterance as "VOICE:text" per clause, blanks simplified; clauses
// without words left out.
QStringList clauses(const TUtterance &utterance)
{
    QStringList result;
    for (const TSpeechSegment &segment : ParseSpeechMarkup(utterance.Markup())) {
        const QString text = segment.Text.simplified();
        if (!text.isEmpty())
            result << segment.VoiceName + u':' + text;
    }
    return result;
}

class EntryReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dict::RenderEntry(*view.Document(), QByteArrayView(test::kSampleEntry));
        view.SetCaret({0, 1});
    }

    view::TStyledView view;
    TEntryReader reader{&view, nullptr, [](int which) { return which == 1 ? QStringLiteral("EN") : QStringLiteral("VI"); },
                        TEntryReader::TInterface{[] { return QStringLiteral("select"); },
                                                 [] { return QStringLiteral("UI"); }, DefaultLocalStrings}};
};

TEST_F(EntryReaderTest, WholeEntryAlternatesVoiceGroupsPausesAfterParagraphsAndSkipsThePhonetic)
{
    const TUtterance utterance = reader.EntryTextUtterance(true);
    EXPECT_EQ(clauses(utterance),
              (QStringList{QStringLiteral("EN:abroad"), QStringLiteral("VI:phó từ"),
                           QStringLiteral("VI:ở nước ngoài, ra nước ngoài"), QStringLiteral("EN:to live abroad"),
                           QStringLiteral("VI:: sống ở nước ngoài"), QStringLiteral("EN:to go abroad"),
                           QStringLiteral("VI:: đi ra nước ngoài"), QStringLiteral("EN:from abroad"),
                           QStringLiteral("VI:từ nước ngoài"),
                           QStringLiteral("EN:these machines were brought from abroad"),
                           QStringLiteral("VI:: những chiếc máy này mang từ nước ngoài vào")}));
    // A pause after each paragraph: head line, word class, meaning, two
    // examples, idiom, meaning, before the last example.
    EXPECT_EQ(utterance.Markup().count(QStringLiteral("<silence/>")), 7);
    EXPECT_FALSE(utterance.PlainText().contains(QStringLiteral("brɔ")));
    // Reading selects nothing and leaves the caret where it was.
    EXPECT_FALSE(view.HasSelection());
    EXPECT_EQ(view.Caret(), (view::TItemPos{0, 1}));
}

TEST_F(EntryReaderTest, LineReadingTakesTheHeadWordWithoutItsTranscriptionAndKeepsTheSelection)
{
    EXPECT_EQ(clauses(reader.EntryTextUtterance(false)), QStringList{QStringLiteral("EN:abroad")});
    // A selection the user is making by lines stays as it is.
    view.SetCaret({2, 1});
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    const auto selection = view.SelectionBounds();
    ASSERT_TRUE(view.HasSelection());
    EXPECT_EQ(clauses(reader.EntryTextUtterance(false)), QStringList{QStringLiteral("VI:ở nước ngoài, ra nước ngoài")});
    EXPECT_EQ(view.SelectionBounds(), selection);
    view.Clear();
    view.Format();
    EXPECT_TRUE(reader.EntryTextUtterance(true).IsEmpty());
}

TEST_F(EntryReaderTest, CharactersTheEngineWouldSkipAreNamedInTheInterfaceVoice)
{
    // "ở nước ngoài, ra": the blank after the comma, then the comma itself.
    const int meaning = 3;
    view.SetCaret({meaning, 13});
    EXPECT_EQ(reader.CharacterUtterance().Markup(), QStringLiteral("<VOICE REQUIRED=\"NAME=UI\">comma</VOICE>"));
    view.SetCaret({meaning, 14});
    EXPECT_EQ(reader.CharacterUtterance().Markup(), QStringLiteral("<VOICE REQUIRED=\"NAME=UI\">space</VOICE>"));
    view.SetCaret({meaning, 1});
    EXPECT_EQ(reader.CharacterUtterance().Markup(), QStringLiteral("<VOICE REQUIRED=\"NAME=VI\">ở</VOICE>"));
}

TEST_F(EntryReaderTest, TheWordReadInAnExampleIsTheWordEnterFollows)
{
    // "to live abroad": Ctrl+Right from "to" leaves the caret at the end of
    // its item, before "live".
    int to = -1;
    for (int i = 0; i < view.ItemCount() && to < 0; ++i) {
        if (view.ItemStyle(i) == view::tsExample && view.ItemText(i) == QStringLiteral("to "))
            to = i;
    }
    ASSERT_GE(to, 0);
    view.SetCaret({to, 1});
    QTest::keyClick(&view, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(clauses(reader.WordUtterance()), QStringList{QStringLiteral("EN:live")});
    EXPECT_EQ(reader.WordItemAtCaret(), to + 1);
    // Inside a word, the word is its own.
    view.SetCaret({to + 1, 2});
    EXPECT_EQ(clauses(reader.WordUtterance()), QStringList{QStringLiteral("EN:live")});
    EXPECT_EQ(reader.WordItemAtCaret(), to + 1);
    // After the bullet, the first word.
    view.SetCaret({to - 1, 2});
    EXPECT_EQ(reader.WordItemAtCaret(), to);
}

TEST(VoiceGroupOf, HeadWordsIdiomsAndExamplesTakeTheFirstVoice)
{
    EXPECT_EQ(view::VoiceGroupOf(view::tsHeadWord), view::TVoiceGroup::First);
    EXPECT_EQ(view::VoiceGroupOf(view::tsIdiom), view::TVoiceGroup::First);
    EXPECT_EQ(view::VoiceGroupOf(view::tsExample), view::TVoiceGroup::First);
    EXPECT_EQ(view::VoiceGroupOf(view::tsPhonetic), view::TVoiceGroup::None);
    EXPECT_EQ(view::VoiceGroupOf(view::tsTranslation), view::TVoiceGroup::Second);
    EXPECT_EQ(view::VoiceGroupOf(view::kPictureStyle), view::TVoiceGroup::Second);
}

} // namespace
} // namespace lexivoce::speech
