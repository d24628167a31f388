// Reading the entry view aloud in the two voices, on a real view.
#include "speech/entry_reader.h"

#include "dict/entry_renderer.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/sample_entry.h"
#include "view/styled_view.h"

#include <gtest/gtest.h>

namespace lexivoce::speech {
namespace {

class EntryReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dict::RenderEntry(*view.Document(), QByteArrayView(test::kSampleEntry));
        view.SetCaret({0, 1});
    }

    view::TStyledView view;
    TEntryReader reader{&view, nullptr, [](int which) { return which == 1 ? QStringLiteral("EN") : QStringLiteral("VI"); }};
};

TEST_F(EntryReaderTest, WholeEntryAlternatesVoiceGroupsAndSkipsThePhonetic)
{
    const QString utterance = reader.EntryTextUtterance(true);
    EXPECT_TRUE(utterance.startsWith(QStringLiteral("<VOICE REQUIRED=\"NAME=EN\">abroad </VOICE>")))
        << utterance.toStdString();
    EXPECT_FALSE(utterance.contains(QStringLiteral("brɔ")));
    EXPECT_TRUE(utterance.contains(QStringLiteral("<VOICE REQUIRED=\"NAME=VI\">phó từ ở nước ngoài, ra nước ngoài")));
    EXPECT_TRUE(utterance.endsWith(QStringLiteral("những chiếc máy này mang từ nước ngoài vào</VOICE>")));
    // Groups open and close in pairs: one for the head word, then an
    // alternation of meanings and examples.
    EXPECT_EQ(utterance.count(QStringLiteral("<VOICE")), utterance.count(QStringLiteral("</VOICE>")));
    EXPECT_EQ(utterance.count(QStringLiteral("NAME=EN")), 5);
    EXPECT_EQ(utterance.count(QStringLiteral("NAME=VI")), 5);
    // Reading selects nothing and leaves the caret where it was.
    EXPECT_FALSE(view.HasSelection());
    EXPECT_EQ(view.Caret(), (view::TItemPos{0, 1}));
}

TEST_F(EntryReaderTest, LineReadingTakesTheHeadWordWithoutItsTranscription)
{
    EXPECT_EQ(reader.EntryTextUtterance(false), QStringLiteral("<VOICE REQUIRED=\"NAME=EN\">abroad </VOICE>"));
    view.Clear();
    view.Format();
    EXPECT_TRUE(reader.EntryTextUtterance(true).isEmpty());
}

TEST(VoiceGroupOf, HeadWordsIdiomsAndExamplesTakeTheFirstVoice)
{
    EXPECT_EQ(VoiceGroupOf(view::tsHeadWord), TVoiceGroup::First);
    EXPECT_EQ(VoiceGroupOf(view::tsIdiom), TVoiceGroup::First);
    EXPECT_EQ(VoiceGroupOf(view::tsExample), TVoiceGroup::First);
    EXPECT_EQ(VoiceGroupOf(view::tsPhonetic), TVoiceGroup::None);
    EXPECT_EQ(VoiceGroupOf(view::tsTranslation), TVoiceGroup::Second);
    EXPECT_EQ(VoiceGroupOf(view::kPictureStyle), TVoiceGroup::Second);
}

} // namespace
} // namespace lexivoce::speech
