// Reading an entry with the keys of the entry view, in the main window.
#include "tests/app/main_dict_fixture.h"

#include "tests/support/sample_entry.h"
#include "view/entry_styles.h"

namespace lexivoce::app {
namespace {

using namespace test_support;

// What the entry speaker said last, as clauses with short voice names.
QStringList clausesOf(const QString &markup)
{
    QStringList clauses = test::SpeechClauses(markup);
    for (QString &clause : clauses) {
        clause.replace(kEnglishVoice + u':', QStringLiteral("EN:"));
        clause.replace(kVietnameseVoice + u':', QStringLiteral("VI:"));
    }
    return clauses;
}

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

    // Presses and releases key in the entry view, as a user would, and
    // returns what the entry speaker said of it, as clauses.
    QStringList Read(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Forget();
        Key(window->rvMeaning, key, modifiers);
        const QStringList said = EntrySaid();
        return said.isEmpty() ? QStringList() : clausesOf(said.last());
    }
};

TEST_F(EntryReadingTest, TheWholeEntryIsReadInItsVoicesWithAPauseAfterEachParagraph)
{
    // Enter: the entry, as one utterance, heard to its end.
    Type(QStringLiteral("abroad"));
    Forget();
    Key(window->edtLookup, Qt::Key_Return);
    ASSERT_EQ(EntrySaid().size(), 1);
    const QStringList clauses = clausesOf(EntrySaid().first());
    EXPECT_EQ(clauses.value(0), QStringLiteral("EN:abroad"));
    EXPECT_EQ(clauses.size(), 11);
    EXPECT_EQ(heard.Cuts(), QStringList()) << "the look-up's speech was cut";

    // Ctrl+Home reads it again, the transcription left out.
    Show(QStringLiteral("apple"));
    Caret(ItemWith(QStringLiteral("quả táo"), view::tsMeaning), 1);
    EXPECT_EQ(Read(Qt::Key_Home, Qt::ControlModifier),
              (QStringList{QStringLiteral("EN:apple"), QStringLiteral("VI:danh từ"), QStringLiteral("VI:quả táo"),
                           QStringLiteral("EN:one apple). a day!"), QStringLiteral("VI:: mỗi ngày một quả táo")}));
}

TEST_F(EntryReadingTest, ArrowsReadTheCharacterTheyReachNeverSilence)
{
    Show(QStringLiteral("apple"));
    struct Case
    {
        const char *What;
        QString Item;
        int Style;
        int Offset; // where the caret is before the key
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        QStringList Heard;
    };
    const std::vector<Case> cases = {
        {"a letter of a meaning", QStringLiteral("quả táo"), view::tsMeaning, 1, Qt::Key_Right, Qt::NoModifier,
         {QStringLiteral("VI:u")}},
        {"a blank, by its name", QStringLiteral("quả táo"), view::tsMeaning, 3, Qt::Key_Right, Qt::NoModifier,
         {QStringLiteral("EN:space")}},
        // At an item's end: the next item's first character (an example's
        // last word, then its translation's colon).
        {"across items", QStringLiteral("day!"), view::tsExample, 4, Qt::Key_Right, Qt::NoModifier,
         {QStringLiteral("EN:colon")}},
        {"a transcription, in no voice", QStringLiteral("/'æpl/"), view::tsPhonetic, 4, Qt::Key_Left, Qt::NoModifier,
         {QStringLiteral(":æ")}},
        {"another modifier", QStringLiteral("quả táo"), view::tsMeaning, 3, Qt::Key_Left, Qt::AltModifier, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.What);
        Caret(ItemWith(c.Item, c.Style), c.Offset);
        EXPECT_EQ(Read(c.Key, c.Modifiers), c.Heard);
    }
}

TEST_F(EntryReadingTest, ASelectionGrowsAudiblyAndOnlyShiftTappedAloneSilences)
{
    Show(QStringLiteral("apple"));
    Voice(window->speaker)->PlayMs = 150;
    Voice(window->spkInterface)->PlayMs = 150;
    const int meaning = ItemWith(QStringLiteral("quả táo"), view::tsMeaning);
    Caret(meaning, 1);
    // Shift is let go with the arrow: the reading goes on to its end.
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ShiftModifier), (QStringList{QStringLiteral("EN:select"), QStringLiteral("VI:q")}));
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ShiftModifier), QStringList{QStringLiteral("VI:u")});
    EXPECT_TRUE(heard.Cuts().isEmpty()) << heard.Cuts().join(u'|').toStdString();
    EXPECT_EQ(window->rvMeaning->SelectedText(), QStringLiteral("qu"));
    const QStringList selection = Read(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(selection, QStringList{QStringLiteral("VI:") + window->rvMeaning->SelectedText().simplified()});

    // Lines are selected by Shift+Down, and read.
    Caret(0, 1);
    EXPECT_EQ(Read(Qt::Key_Down, Qt::ShiftModifier), (QStringList{QStringLiteral("VI:danh từ")}));
    EXPECT_TRUE(window->rvMeaning->HasSelection());

    // Shift tapped alone silences both speakers at once.
    Forget();
    QTest::keyClick(window->rvMeaning, Qt::Key_Home, Qt::ControlModifier);
    QTest::qWait(20);
    ASSERT_EQ(window->speaker->State(), speech::ssSpeaking);
    QTest::keyClick(window->rvMeaning, Qt::Key_Shift);
    EXPECT_EQ(window->speaker->State(), speech::ssDone);
    EXPECT_EQ(window->spkInterface->State(), speech::ssDone);
    EXPECT_EQ(heard.Cuts().size(), 1);
}

TEST_F(EntryReadingTest, WordsAndLinesTakeTheVoiceOfTheirStyleAndTheEndsAreSaid)
{
    Show(QStringLiteral("apple"));
    Caret(ItemWith(QStringLiteral("quả táo"), view::tsMeaning), 1);
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ControlModifier), QStringList{QStringLiteral("VI:táo")});
    EXPECT_FALSE(window->rvMeaning->HasSelection());
    // In an example, each word is an item of its own.
    Caret(ItemWith(QStringLiteral("one"), view::tsExample), 1);
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ControlModifier), QStringList{QStringLiteral("EN:apple).")});

    // Up onto the head word's line: the word, not its transcription.
    Caret(ItemWith(QStringLiteral("danh từ"), view::tsNoun), 1);
    EXPECT_EQ(Read(Qt::Key_Up), QStringList{QStringLiteral("EN:apple")});
    Forget();
    Key(window->rvMeaning, Qt::Key_Up);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("Top of the entry")});
    Key(window->rvMeaning, Qt::Key_End, Qt::ControlModifier);
    Forget();
    Key(window->rvMeaning, Qt::Key_Down);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("End of the entry")});
}

TEST_F(EntryReadingTest, EnterFollowsTheWordLastHeard)
{
    Show(QStringLiteral("apple"));
    // "apple)." loses only its full stop: "apple)" is not a word.
    Caret(ItemWith(QStringLiteral("one"), view::tsExample), 1);
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ControlModifier), QStringList{QStringLiteral("EN:apple).")});
    Forget();
    Key(window->rvMeaning, Qt::Key_Return);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("The word you have typed does not exists")});
    EXPECT_EQ(HistoryWords(), QStringList{QStringLiteral("apple")});

    // "day!" is looked up as "day", recorded, shown and read. (Moving by
    // words stops before the punctuation inside "apple).": still that word.)
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ControlModifier), QStringList{QStringLiteral("EN:apple).")});
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ControlModifier), QStringList{QStringLiteral("EN:a")});
    EXPECT_EQ(Read(Qt::Key_Right, Qt::ControlModifier), QStringList{QStringLiteral("EN:day!")});
    Forget();
    Key(window->rvMeaning, Qt::Key_Return);
    EXPECT_EQ(HistoryWords(), (QStringList{QStringLiteral("apple"), QStringLiteral("day")}));
    EXPECT_EQ(window->History.Position(), 1);
    EXPECT_TRUE(window->mnuBack->isEnabled());
    EXPECT_TRUE(window->rvMeaning->toPlainText().startsWith(QStringLiteral("day")));
    ASSERT_FALSE(EntrySaid().isEmpty());
    EXPECT_EQ(clausesOf(EntrySaid().last()).value(0), QStringLiteral("EN:day"));

    // A head word is spoken plainly, after the entry speaker takes the
    // dictionary's first voice for good.
    Caret(0, 1);
    Forget();
    Key(window->rvMeaning, Qt::Key_Return);
    EXPECT_EQ(window->speaker->VoiceName, kEnglishVoice);
    EXPECT_EQ(EntrySaid(), QStringList{QStringLiteral("day")});
}

} // namespace
} // namespace lexivoce::app
