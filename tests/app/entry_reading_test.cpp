// Reading an entry with the keys of the entry view, in the main window.
#include "tests/app/main_dict_fixture.h"

#include "tests/support/sample_entry.h"

namespace lexivoce::app {
namespace {

using namespace test_support;

const QString kEn = QStringLiteral("<VOICE REQUIRED=\"NAME=English (Great Britain)\">");
const QString kVi = QStringLiteral("<VOICE REQUIRED=\"NAME=Vietnamese (Northern)\">");

class EntryReadingTest : public MainDictTest
{
protected:
    void SetUp() override
    {
        MainDictTest::SetUp();
        WriteFile(QStringLiteral("dict/reading.dict"),
                  QByteArray("@00-database-info\r\n-x\r\n@00-database-short\r\n-x\r\n@00-database-url\r\n-x\r\n")
                      + test::kSampleEntry
                      + "@apple /'æpl/\r\n*danh từ\r\n-quả táo\r\n=one apple). a day!+mỗi ngày một quả táo\r\n"
                        "@day /deɪ/\r\n*danh từ\r\n-ngày\r\n");
        dict::BuildIndex(PathOf(QStringLiteral("dict/reading.dict")));
        WriteRegistry(QStringLiteral("[Reading]\nPath=dict/reading.dict\nHidden=0\nVoice1=0\nVoice2=1\n"));
        Start();
    }

    // Looks word up as a user would and forgets what was said on the way.
    void Show(const QString &word)
    {
        Type(word);
        Key(window->edtLookup, Qt::Key_Return);
        ASSERT_TRUE(window->rvMeaning->hasFocus());
        Forget();
    }

    int ItemWith(const QString &text, int style) const
    {
        for (int i = 0; i < window->rvMeaning->ItemCount(); ++i) {
            if (window->rvMeaning->ItemStyle(i) == style && window->rvMeaning->ItemText(i).trimmed() == text)
                return i;
        }
        ADD_FAILURE() << "no item " << text.toStdString();
        return -1;
    }

    void Caret(int itemNo, int offset) { window->rvMeaning->SetCaret({itemNo, offset}); }

    // Releases key in the entry view with the caret already where the key
    // press would have put it: the readers act on release.
    QString ReadOnRelease(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Forget();
        QTest::keyRelease(window->rvMeaning, key, modifiers);
        const QStringList said = EntrySaid();
        return said.isEmpty() ? QString() : said.last();
    }
};

TEST_F(EntryReadingTest, FocusReadsTheWholeSampleEntryInFourKindsOfGroup)
{
    Type(QStringLiteral("abroad"));
    Forget();
    Key(window->edtLookup, Qt::Key_Return);
    ASSERT_EQ(EntrySaid().size(), 1);
    EXPECT_EQ(EntrySaid().first(),
              kEn + QStringLiteral("abroad </VOICE>") + kVi
                  + QStringLiteral("phó từ ở nước ngoài, ra nước ngoài </VOICE>") + kEn
                  + QStringLiteral("to  live  abroad</VOICE>") + kVi + QStringLiteral(": sống ở nước ngoài </VOICE>")
                  + kEn + QStringLiteral("to  go  abroad</VOICE>") + kVi + QStringLiteral(": đi ra nước ngoài </VOICE>")
                  + kEn + QStringLiteral("from  abroad</VOICE>") + kVi + QStringLiteral("từ nước ngoài </VOICE>") + kEn
                  + QStringLiteral("these  machines  were  brought  from  abroad</VOICE>") + kVi
                  + QStringLiteral(": những chiếc máy này mang từ nước ngoài vào</VOICE>"));

    // Head word, phonetic, noun, meaning, example, translation: exactly four
    // groups, the noun and meaning joined in one.
    Show(QStringLiteral("apple"));
    window->rvMeaning->SetCaret({ItemWith(QStringLiteral("quả táo"), view::tsMeaning), 1});
    const QString whole = ReadOnRelease(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(whole.count(QStringLiteral("<VOICE")), 4) << whole.toStdString();
    EXPECT_TRUE(whole.startsWith(kEn + QStringLiteral("apple </VOICE>") + kVi + QStringLiteral("danh từ quả táo")))
        << whole.toStdString();
    EXPECT_FALSE(whole.contains(QStringLiteral("æ")));
}

TEST_F(EntryReadingTest, ArrowsReadCharactersAcrossItemsInTheirVoices)
{
    Show(QStringLiteral("apple"));
    const int meaning = ItemWith(QStringLiteral("quả táo"), view::tsMeaning);
    Caret(meaning, 2);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right), kVi + QStringLiteral("u</VOICE>"));
    // At an item's end: the next item's first character, in its voice (an
    // example's last word, then its translation).
    const int day = ItemWith(QStringLiteral("day!"), view::tsExample);
    ASSERT_EQ(window->rvMeaning->ItemStyle(day + 1), view::tsTranslation);
    Caret(day, window->rvMeaning->ItemText(day).size() + 1);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right),
              kVi + window->rvMeaning->ItemText(day + 1).left(1) + QStringLiteral("</VOICE>"));
    // The transcription is read without a voice tag.
    Caret(ItemWith(QStringLiteral("/'æpl/"), view::tsPhonetic), 3);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Left), QStringLiteral("æ"));
    // Another modifier: nothing.
    EXPECT_TRUE(ReadOnRelease(Qt::Key_Left, Qt::AltModifier).isEmpty());
}

TEST_F(EntryReadingTest, GrowingASelectionReadsTheNewCharacterAndSaysSelectOnce)
{
    Show(QStringLiteral("apple"));
    const int meaning = ItemWith(QStringLiteral("quả táo"), view::tsMeaning);
    Caret(meaning, 1);
    QTest::keyPress(window->rvMeaning, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right, Qt::ShiftModifier),
              QStringLiteral("<VOICE REQUIRED=\"NAME=English (Great Britain)\">select</VOICE> ") + kVi
                  + QStringLiteral("q</VOICE>"));
    QTest::keyPress(window->rvMeaning, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right, Qt::ShiftModifier), kVi + QStringLiteral("u</VOICE>"));
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier),
              kVi + QStringLiteral("qu</VOICE>"));
    // Releasing Shift silences the entry speaker.
    Forget();
    QTest::keyRelease(window->rvMeaning, Qt::Key_Shift);
    EXPECT_EQ(window->speaker->State(), speech::ssDone);
}

TEST_F(EntryReadingTest, WordsAndLinesTakeTheVoiceOfTheirStyle)
{
    Show(QStringLiteral("apple"));
    const int meaning = ItemWith(QStringLiteral("quả táo"), view::tsMeaning);
    Caret(meaning, 5);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right, Qt::ControlModifier), kVi + QStringLiteral("táo</VOICE>"));
    EXPECT_FALSE(window->rvMeaning->HasSelection());
    // In an example the next word is the next item.
    Caret(ItemWith(QStringLiteral("one"), view::tsExample), 4);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Right, Qt::ControlModifier), kEn + QStringLiteral("apple).</VOICE>"));
    Caret(ItemWith(QStringLiteral("/'æpl/"), view::tsPhonetic), 2);
    EXPECT_TRUE(ReadOnRelease(Qt::Key_Right, Qt::ControlModifier).isEmpty());

    // Down onto the head word's line: the word, not its transcription.
    Caret(0, 2);
    EXPECT_EQ(ReadOnRelease(Qt::Key_Down), kEn + QStringLiteral("apple </VOICE>"));
}

TEST_F(EntryReadingTest, EnterFollowsExampleWordsAndHeadWords)
{
    Show(QStringLiteral("apple"));
    // "apple)." loses only its full stop: "apple)" is not a word.
    Caret(ItemWith(QStringLiteral("apple)."), view::tsExample), 2);
    Forget();
    QTest::keyRelease(window->rvMeaning, Qt::Key_Return);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("The word you have typed does not exists")});
    EXPECT_EQ(HistoryWords(), QStringList{QStringLiteral("apple")});

    // "day!" is looked up as "day", recorded, shown and read.
    Caret(ItemWith(QStringLiteral("day!"), view::tsExample), 2);
    Forget();
    QTest::keyRelease(window->rvMeaning, Qt::Key_Return);
    EXPECT_EQ(HistoryWords(), (QStringList{QStringLiteral("apple"), QStringLiteral("day")}));
    EXPECT_EQ(window->HistoryPos, 1);
    EXPECT_TRUE(window->mnuBack->isEnabled());
    EXPECT_TRUE(window->rvMeaning->toPlainText().startsWith(QStringLiteral("day")));
    ASSERT_FALSE(EntrySaid().isEmpty());
    EXPECT_TRUE(EntrySaid().last().startsWith(kEn + QStringLiteral("day")));

    // A head word is spoken plainly, after the entry speaker takes the
    // dictionary's first voice for good.
    Caret(0, 1);
    Forget();
    QTest::keyRelease(window->rvMeaning, Qt::Key_Return);
    EXPECT_EQ(window->speaker->VoiceName, kEnglishVoice);
    EXPECT_EQ(EntrySaid(), QStringList{QStringLiteral("day")});
}

} // namespace
} // namespace lexivoce::app
