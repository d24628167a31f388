// The main window driven with key events as a user would.
#include "tests/app/main_dict_fixture.h"
#include "tests/support/keys.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace lexivoce::app {
namespace {

using namespace test_support;

TEST_F(MainDictTest, StartsWithTheFirstOfferedDictionaryWhenTheConfiguredOneIsHidden)
{
    WriteConfig(QStringLiteral("Hidden one"));
    Start();

    // Only offered dictionaries count: the hidden one gets no item.
    const QList<QAction *> items = window->mnuDictionary->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("mnuDict0"));
    EXPECT_EQ(items[0]->text(), QStringLiteral("Sample"));
    EXPECT_EQ(items[0]->property("tag").toInt(), -1);
    EXPECT_EQ(items[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_1));
    EXPECT_EQ(items[1]->property("tag").toInt(), -2);
    EXPECT_EQ(items[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_2));
    EXPECT_TRUE(items[0]->isChecked());
    EXPECT_FALSE(items[1]->isChecked());
    EXPECT_EQ(window->Dictionary.ActiveDictIndex, 0);
    EXPECT_EQ(window->WordList->Count(), 5);
    EXPECT_EQ(window->statusBar->currentMessage(), QStringLiteral("5"));
    EXPECT_TRUE(window->mnuEnglish->isChecked());
    EXPECT_FALSE(window->mnuBack->isEnabled());
    EXPECT_FALSE(window->mnuForward->isEnabled());
    EXPECT_TRUE(window->edtLookup->hasFocus());

    // Loading is announced, then readiness, by the interface speaker.
    const QStringList said = InterfaceSaid();
    const qsizetype loading = said.indexOf(QStringLiteral("Loading Sample dictionary"));
    ASSERT_GE(loading, 0) << said.join(u'|').toStdString();
    EXPECT_EQ(said.indexOf(QStringLiteral("Sample dictionary is ready")), loading + 1);

    // The active dictionary's speech settings are in force.
    EXPECT_EQ(window->speaker->Speed(), 2);
    EXPECT_EQ(window->speaker->Pitch(), -2);
    EXPECT_TRUE(window->speaker->SpeakPunctuation);
    EXPECT_EQ(window->spkInterface->VoiceName, kEnglishVoice);

    // Nothing written at start; closing keeps the configured name, which
    // only a pick in the menu changes.
    window->close();
    EXPECT_EQ(ConfigValue(QStringLiteral("ActiveDict")), QStringLiteral("Hidden one"));
}

TEST_F(MainDictTest, AnIndexThatCannotBeReadIsReportedAndLeavesTheListEmpty)
{
    QFile::remove(PathOf(QStringLiteral("dict/sample.index")));
    WriteConfig(QStringLiteral("Sample"));
    AnswerErrorBoxes();
    window = std::make_unique<TfrmMainDict>();
    window->show();
    // The word list is loaded only after the window is up.
    EXPECT_EQ(window->WordList->Count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxText.isEmpty(); }, 5000));
    EXPECT_TRUE(boxText.contains(QStringLiteral("sample.index"))) << boxText.toStdString();
    EXPECT_EQ(window->statusBar->currentMessage(), QStringLiteral("Loading..."));
    EXPECT_EQ(window->WordList->Count(), 0);
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Loading Sample dictionary")));
    EXPECT_FALSE(InterfaceSaid().contains(QStringLiteral("Sample dictionary is ready")));
    // The list speaks again once it has words.
    EXPECT_NE(window->sp->FindRecord(window->lstLookup), nullptr);
}

TEST_F(MainDictTest, AnInterfaceVoiceThatIsNotInstalledIsReportedAndTheWindowComesUpWhole)
{
    QFile::remove(PathOf(QStringLiteral("LANG/Lexivoce.eng")));
    WriteConfig(QStringLiteral("Sample"));
    AnswerErrorBoxes();
    Start();
    EXPECT_TRUE(boxText.contains(QStringLiteral("Specified Speech Engine not found"))) << boxText.toStdString();
    EXPECT_TRUE(InterfaceSaid().join(u'|').contains(QStringLiteral("Specified Speech Engine not found")));
    EXPECT_EQ(window->InterfaceVoiceName, QStringLiteral("Microsoft Sam"));
    EXPECT_EQ(window->WordList->Count(), 5);
}

TEST_F(MainDictTest, KeysAreAnsweredWhileALargeIndexLoads)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    // Read on a thread of its own, as a large index is: the words arrive
    // through the event loop, which the keys below do not run.
    window->IndexLoader->InlineBytes = -1;
    Forget();
    window->LoadIndex(window->Dictionary.IndexFileName);
    ASSERT_TRUE(window->IsLoadingIndex());
    window->edtLookup->setFocus();
    window->edtLookup->setText(QStringLiteral("abroad"));
    QTest::keyClick(window->edtLookup, Qt::Key_Return);
    QTest::keyClick(window->edtLookup, Qt::Key_Down);
    EXPECT_EQ(window->WordList->Count(), 0);
    EXPECT_TRUE(window->rvMeaning->toPlainText().trimmed().isEmpty());

    ASSERT_TRUE(QTest::qWaitFor([this] { return window->WordList->Count() == 5; }, 5000));
    const QStringList said = InterfaceSaid();
    EXPECT_EQ(said.count(QStringLiteral("Loading Sample dictionary")), 3) << said.join(u'|').toStdString();
    EXPECT_FALSE(said.join(u'|').contains(QStringLiteral("does not exist")));
    EXPECT_EQ(said.last(), QStringLiteral("Sample dictionary is ready"));

    // The same keys once the words are there.
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_TRUE(window->rvMeaning->toPlainText().contains(QStringLiteral("ở nước ngoài")));
}

TEST_F(MainDictTest, UpAndDownWalkTheWordListInTheFirstVoice)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    QLineEdit *edit = window->edtLookup;
    Type(QStringLiteral("APP"));
    Forget();

    Key(edit, Qt::Key_Down);
    EXPECT_EQ(window->SelectedWord(), 1);
    EXPECT_EQ(edit->text(), QStringLiteral("Apple"));
    EXPECT_EQ(EntrySaid(), QStringList{tagged(kEnglishVoice, QStringLiteral("Apple"))});

    Key(edit, Qt::Key_Up);
    Key(edit, Qt::Key_Up); // at the first word: stays, says it again
    EXPECT_EQ(window->SelectedWord(), 0);
    EXPECT_EQ(EntrySaid().mid(1), QStringList(2, tagged(kEnglishVoice, QStringLiteral("abroad"))));

    // Typing starts a fresh search from the new text.
    QTest::keyClick(edit, Qt::Key_B);
    EXPECT_EQ(window->SelectedWord(), -1);
    edit->setText(QStringLiteral("v"));
    Key(edit, Qt::Key_Down);
    EXPECT_EQ(window->SelectedWord(), 4);
    Key(edit, Qt::Key_Down); // at the last word
    EXPECT_EQ(window->SelectedWord(), 4);
    EXPECT_EQ(edit->text(), QStringLiteral("Việt Nam"));

    // After every word: nothing to select, the typed text stays, silence.
    Type(QStringLiteral("zzz"));
    Forget();
    Key(edit, Qt::Key_Down);
    EXPECT_EQ(window->SelectedWord(), -1);
    EXPECT_EQ(edit->text(), QStringLiteral("zzz"));
    EXPECT_TRUE(EntrySaid().isEmpty());
}

TEST_F(MainDictTest, EnterShowsAndReadsTheEntryOrSaysItIsMissing)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    Type(QStringLiteral("  ABROAD "));
    Forget();
    Key(window->edtLookup, Qt::Key_Return);

    EXPECT_TRUE(window->rvMeaning->hasFocus());
    EXPECT_TRUE(window->rvMeaning->toPlainText().contains(QStringLiteral("ở nước ngoài")));
    EXPECT_EQ(HistoryWords(), QStringList{QStringLiteral("ABROAD")});
    // The whole entry, in one utterance of voice groups.
    const QStringList said = EntrySaid();
    ASSERT_FALSE(said.isEmpty());
    const QStringList clauses = test::SpeechClauses(said.last());
    EXPECT_EQ(clauses.value(0), kEnglishVoice + QStringLiteral(":abroad")) << said.last().toStdString();
    EXPECT_EQ(clauses.value(1), kVietnameseVoice + QStringLiteral(":phó từ"));

    const QString shown = window->rvMeaning->toPlainText();
    Type(QStringLiteral("abroadx"));
    Forget();
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("The word you have typed does not exists")});
    EXPECT_EQ(window->rvMeaning->toPlainText(), shown);
    EXPECT_EQ(HistoryWords().size(), 1);

    // A blank edit does nothing.
    Type(QStringLiteral("   "));
    Forget();
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_TRUE(InterfaceSaid().isEmpty());
}

TEST_F(MainDictTest, HistoryAppendsEveryLookUpAndWalksBackAndForth)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    for (const QString &word : {QStringLiteral("apple tree"), QStringLiteral("apple tree"), QStringLiteral("abroad")}) {
        Type(word);
        Key(window->edtLookup, Qt::Key_Return);
    }
    EXPECT_EQ(HistoryWords().join(u'|'), QStringLiteral("apple tree|apple tree|abroad"));
    EXPECT_EQ(window->History.Position(), 2);
    EXPECT_TRUE(window->mnuBack->isEnabled());
    EXPECT_FALSE(window->mnuForward->isEnabled());

    window->mnuBack->trigger();
    window->mnuBack->trigger();
    EXPECT_EQ(window->History.Position(), 0);
    EXPECT_FALSE(window->mnuBack->isEnabled());
    EXPECT_TRUE(window->mnuForward->isEnabled());
    EXPECT_TRUE(window->rvMeaning->toPlainText().contains(QStringLiteral("cây táo")));
    EXPECT_TRUE(window->rvMeaning->hasFocus());

    // A new look-up goes to the end, not after the current position.
    Type(QStringLiteral("apple"));
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_EQ(HistoryWords().last(), QStringLiteral("apple"));
    EXPECT_EQ(window->History.Position(), 3);
    EXPECT_FALSE(window->mnuForward->isEnabled());

    window->mnuDelete->trigger();
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Delete all")));
    EXPECT_EQ(window->lstHistory->count(), 0);
    EXPECT_EQ(window->History.Position(), -1);

    // One item: neither way is open.
    Type(QStringLiteral("abroad"));
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_FALSE(window->mnuBack->isEnabled());
    EXPECT_FALSE(window->mnuForward->isEnabled());
}

TEST_F(MainDictTest, RecentWordsShowsTheHistoryInPlaceOfTheWordList)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    window->mnuRecent->trigger();
    EXPECT_TRUE(window->mnuRecent->isChecked());
    EXPECT_TRUE(window->lstHistory->isVisible());
    EXPECT_FALSE(window->lstLookup->isVisible());
    EXPECT_FALSE(window->edtLookup->isVisible());
    EXPECT_TRUE(window->lstHistory->hasFocus());
    EXPECT_EQ(window->lstHistory->currentRow(), -1);
    Forget();
    Key(window->lstHistory, Qt::Key_Return);
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("The word you have typed does not exists")));

    window->mnuRecent->trigger();
    EXPECT_TRUE(window->edtLookup->isVisible());
    EXPECT_TRUE(window->edtLookup->hasFocus());

    // With a history, the list opens on its first word, and Enter shows it.
    Type(QStringLiteral("apple tree"));
    Key(window->edtLookup, Qt::Key_Return);
    window->mnuRecent->trigger();
    EXPECT_EQ(window->lstHistory->currentRow(), 0);
    window->rvMeaning->Clear();
    Key(window->lstHistory, Qt::Key_Return);
    EXPECT_TRUE(window->rvMeaning->toPlainText().contains(QStringLiteral("cây táo")));
    EXPECT_EQ(window->lstHistory->count(), 1); // shown from the history: not recorded again
}

TEST_F(MainDictTest, SpeechKeysChangeVolumeAndRateOfEachSpeaker)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    QWidget *edit = window->edtLookup;
    const int interfaceRate = window->spkInterface->Speed();
    const int entryRate = window->speaker->Speed();

    Key(edit, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(window->spkInterface->Volume(), 90);
    Key(edit, Qt::Key_Period, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(window->spkInterface->Speed(), std::min(10, interfaceRate + 10));
    Key(edit, Qt::Key_Comma, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->speaker->Volume(), 90);
    Key(edit, Qt::Key_Comma, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->speaker->Speed(), std::max(-10, entryRate - 10));
    Key(edit, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(window->spkInterface->Volume(), 100);
    EXPECT_EQ(window->speaker->Volume(), 90);
    // Each change is said by the speaker it changed; nothing was typed.
    EXPECT_EQ(InterfaceSaid().last(), QStringLiteral("volume 100"));
    EXPECT_EQ(EntrySaid().last(), QStringLiteral("rate %1").arg(window->speaker->Speed()));
    EXPECT_TRUE(window->edtLookup->text().isEmpty());

    // Ctrl+slash says where the user is, whatever else is held.
    Forget();
    Key(edit, Qt::Key_Slash, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Veltari Talking dictionary, Sample")));
}

TEST_F(MainDictTest, KeysActOnWhatWasPressedWhereItWasPressed)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    QWidget *edit = window->edtLookup;
    Type(QStringLiteral("apple"));

    // Ctrl let go a moment before "/": still Ctrl+slash.
    Forget();
    test::SendKey(edit, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 37);
    test::SendKey(edit, QEvent::KeyPress, Qt::Key_Slash, Qt::ControlModifier, 61, QStringLiteral("/"));
    test::SendKey(edit, QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier, 37);
    test::SendKey(edit, QEvent::KeyRelease, Qt::Key_Slash, Qt::NoModifier, 61, QStringLiteral("/"));
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Veltari Talking dictionary, Sample")))
        << InterfaceSaid().join(u'|').toStdString();
    EXPECT_EQ(window->edtLookup->text(), QStringLiteral("apple")); // nothing typed

    // Enter on a menu item: its release reaches the edit, which did not see
    // the press, and must not look anything up.
    Forget();
    test::SendKey(window->mnuHistory, QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, 36, QStringLiteral("\r"));
    test::SendKey(edit, QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, 36, QStringLiteral("\r"));
    test::THeardLog::Settle();
    EXPECT_TRUE(HistoryWords().isEmpty());
    EXPECT_TRUE(EntrySaid().isEmpty());

    // A field's own keys do not hide the window's commands (Ctrl+D is
    // "delete" in a line edit on X11, Ctrl+F "forward" in some styles).
    int customize = 0;
    int manager = 0;
    QObject::connect(window->mnuFormat, &QAction::triggered, [&] { ++customize; });
    QObject::connect(window->mnuManager, &QAction::triggered, [&] { ++manager; });
    // Each dialog opens; it is closed again at once.
    const auto closeDialog = [] {
        QTimer::singleShot(0, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                dialog->reject();
        });
    };
    closeDialog();
    Key(edit, Qt::Key_F, Qt::ControlModifier);
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    edit->setFocus();
    closeDialog();
    Key(edit, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(customize, 1);
    EXPECT_EQ(manager, 1);
    EXPECT_EQ(window->edtLookup->text(), QStringLiteral("apple"));
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // Paste stays the field's.
    QApplication::clipboard()->setText(QStringLiteral(" tree"));
    window->edtLookup->end(false);
    Key(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window->edtLookup->text(), QStringLiteral("apple tree"));
    EXPECT_FALSE(window->mnu2ndLang && window->mnu2ndLang->isChecked());
}

TEST_F(MainDictTest, EveryActionIsAnswered)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    QWidget *edit = window->edtLookup;

    // The ends of the history, though Back and Forward are disabled there.
    Forget();
    Key(edit, Qt::Key_Left, Qt::AltModifier);
    Key(edit, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(InterfaceSaid(), (QStringList{QStringLiteral("No earlier word"), QStringLiteral("No later word")}));
    // Other disabled commands say that they are.
    window->mnuPrintCurrent->setEnabled(false);
    Forget();
    Key(edit, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("Print current word... disabled")});

    // Recent words names itself, and says when the history is empty.
    Forget();
    window->mnuRecent->trigger();
    EXPECT_EQ(InterfaceSaid().mid(0, 2),
              (QStringList{QStringLiteral("Recent words"), QStringLiteral("The history is empty")}));
    window->mnuRecent->trigger();
    Type(QStringLiteral("abroad"));
    Key(edit, Qt::Key_Return);

    // Delete all says so, and confirms.
    Forget();
    window->mnuDelete->trigger();
    EXPECT_EQ(InterfaceSaid(), (QStringList{QStringLiteral("Delete all"), QStringLiteral("The history is empty")}));

    // Escape: the entry stops, the way back is said.
    Type(QStringLiteral("abroad"));
    Voice(window->speaker)->PlayMs = 500;
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::qWait(20);
    ASSERT_EQ(window->speaker->State(), speech::ssSpeaking);
    Forget();
    Key(window->rvMeaning, Qt::Key_Escape);
    EXPECT_EQ(window->speaker->State(), speech::ssDone);
    EXPECT_EQ(InterfaceSaid(), QStringList{QStringLiteral("Lexivoce is hidden. Press Ctrl+F12 to come back")});
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(MainDictTest, TextIsSpokenAsTextAndDictionaryWordsInTheDictionaryVoice)
{
    WriteConfig(QStringLiteral("Second"));
    Start();
    // Typing: each sign heard, the word in the dictionary's first voice.
    Forget();
    window->edtLookup->setFocus();
    window->edtLookup->clear();
    for (const QChar c : QStringLiteral("a&b <c>")) {
        QTest::keyClick(window->edtLookup, c.toLatin1());
        test::THeardLog::Settle();
    }
    const QStringList echoes = InterfaceSaid();
    EXPECT_EQ(echoes.size(), 7) << echoes.join(u'|').toStdString();
    EXPECT_TRUE(echoes.contains(QStringLiteral("<VOICE REQUIRED=\"NAME=%1\"><spell>&amp;</spell></VOICE>").arg(kVietnameseVoice)))
        << echoes.join(u'|').toStdString();
    // Space says the word it ended ("&" parts words).
    EXPECT_EQ(echoes.value(3), tagged(kVietnameseVoice, QStringLiteral("b")));
    EXPECT_TRUE(echoes.contains(QStringLiteral("<VOICE REQUIRED=\"NAME=%1\"><spell>&lt;</spell></VOICE>").arg(kVietnameseVoice)));
    EXPECT_TRUE(echoes.contains(QStringLiteral("<VOICE REQUIRED=\"NAME=%1\"><spell>&gt;</spell></VOICE>").arg(kVietnameseVoice)));

    // The history's items, escaped, in the dictionary's voice.
    Key(window->edtLookup, Qt::Key_Return);
    ASSERT_EQ(HistoryWords(), QStringList{QStringLiteral("a&b <c>")});
    Forget();
    window->mnuRecent->trigger();
    test::THeardLog::Settle();
    EXPECT_TRUE(InterfaceSaid().contains(tagged(kVietnameseVoice, QStringLiteral("a&amp;b &lt;c&gt;"))))
        << InterfaceSaid().join(u'|').toStdString();
}

TEST_F(MainDictTest, BadNamesAndUnwritableFilesAreSaidAndNothingIsLost)
{
    // A configuration naming a "language" outside the language folder.
    WriteConfig(QStringLiteral("Sample"), QStringLiteral("../../outside"));
    AnswerErrorBoxes();
    Start();
    EXPECT_TRUE(boxText.contains(QStringLiteral("../../outside is not a language code"))) << boxText.toStdString();
    EXPECT_EQ(window->InterfaceLanguage, QStringLiteral("eng"));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("../outside")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("../../outside")));
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Sample dictionary is ready")));
    window.reset();

    // A language folder that cannot be written: the texts the file lacks
    // are used all the same, and the user hears of it once.
    boxText.clear();
    ASSERT_TRUE(QDir(QStringLiteral("LANG")).removeRecursively());
    WriteFile(QStringLiteral("LANG"), "a file in the way");
    WriteConfig(QStringLiteral("Sample"));
    Start();
    EXPECT_EQ(boxText.count(QStringLiteral("Unable to write to LANG/Lexivoce.eng")), 1) << boxText.toStdString();
    EXPECT_EQ(window->mnuHistory->title(), QStringLiteral("History"));
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Sample dictionary is ready")));
}

TEST_F(MainDictTest, AConfigurationThatCannotBeReadIsSaidAndLeftAsItIs)
{
    // UTF-16 big-endian: not a form the program reads.
    QByteArray bigEndian("\xFE\xFF");
    for (const QChar c : QStringLiteral("[Interface]\r\nActiveDict=Second\r\n"))
        bigEndian += char(c.unicode() >> 8), bigEndian += char(c.unicode() & 0xFF);
    WriteFile(QStringLiteral("Lexivoce.config"), bigEndian);
    AnswerErrorBoxes();
    Start();
    EXPECT_TRUE(boxText.contains(QStringLiteral("Lexivoce.config"))) << boxText.toStdString();
    EXPECT_EQ(window->WordList->Count(), 5); // the first dictionary, as without a configuration
    window->close();
    EXPECT_EQ(ReadFile(QStringLiteral("Lexivoce.config")), bigEndian);
}

TEST_F(MainDictTest, MarkupInADictionarysNameIsSpokenAsText)
{
    WriteRegistry(QStringLiteral("[<pitch absmiddle=\"9\"/>Loud]\nPath=dict/sample.dict\nHidden=0\n"));
    WriteConfig(QStringLiteral("<pitch absmiddle=\"9\"/>Loud"));
    Start();
    const QString said = InterfaceSaid().join(u'|');
    EXPECT_TRUE(said.contains(QStringLiteral("Loading &lt;pitch absmiddle=&quot;9&quot;/&gt;Loud dictionary")))
        << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("<pitch absmiddle=\"9\"")));
}

TEST_F(MainDictTest, PickingADictionaryLoadsItAndEmptiesTheHistory)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    Type(QStringLiteral("abroad"));
    Key(window->edtLookup, Qt::Key_Return);
    QAction *sample = window->mnuDictionary->actions().at(0);
    QAction *second = window->mnuDictionary->actions().at(1);

    // The one already active: history and view emptied, nothing reloaded.
    Forget();
    sample->trigger();
    EXPECT_EQ(window->lstHistory->count(), 0);
    EXPECT_TRUE(window->rvMeaning->toPlainText().trimmed().isEmpty());
    EXPECT_FALSE(InterfaceSaid().contains(QStringLiteral("Loading Sample dictionary")));
    EXPECT_EQ(window->WordList->Count(), 5);

    Forget();
    second->trigger();
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(sample->isChecked());
    EXPECT_EQ(window->Dictionary.ActiveDictIndex, 1);
    EXPECT_EQ(window->Dictionary.ActiveDictName, QStringLiteral("Second"));
    EXPECT_EQ(window->WordList->Count(), 2);
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Second dictionary is ready")));
    EXPECT_EQ(window->GetDictVoiceName(1), kVietnameseVoice);
    EXPECT_FALSE(window->speaker->SpeakPunctuation);

    // Words with markup characters are spoken as they stand.
    Type(QStringLiteral("a&b <c>"));
    Forget();
    Key(window->edtLookup, Qt::Key_Return);
    ASSERT_FALSE(EntrySaid().isEmpty());
    EXPECT_TRUE(EntrySaid().last().startsWith(
        QStringLiteral("<VOICE REQUIRED=\"NAME=%1\">a&amp;b &lt;c&gt;</VOICE>").arg(kVietnameseVoice)))
        << EntrySaid().last().toStdString();
    EXPECT_TRUE(EntrySaid().last().contains(QStringLiteral("&quot;lạ&quot;")));

    window->close();
    EXPECT_EQ(ConfigValue(QStringLiteral("ActiveDict")), QStringLiteral("Second"));
}

TEST_F(MainDictTest, ReloadKeepsTheActiveDictionaryOrFallsBackToTheFirst)
{
    WriteConfig(QStringLiteral("Second"));
    Start();
    ASSERT_EQ(window->Dictionary.ActiveDictIndex, 1);
    Type(QStringLiteral("zebra"));
    Key(window->edtLookup, Qt::Key_Return);

    // Still registered (now first, its rate changed): state kept.
    WriteRegistry(QStringLiteral("[Second]\nPath=dict/second.dict\nHidden=0\nVoice1=1\nVoice2=0\nSpeed=15\nPitch=10\n"
                                 "[Sample]\nPath=dict/sample.dict\nHidden=0\n"));
    Forget();
    window->ReloadDictionaryList(QStringLiteral("Lexivoce.ini"));
    EXPECT_EQ(window->Dictionary.ActiveDictIndex, 0);
    EXPECT_TRUE(window->mnuDictionary->actions().at(0)->isChecked());
    EXPECT_EQ(window->lstHistory->count(), 1);
    EXPECT_EQ(window->WordList->Count(), 2);
    EXPECT_FALSE(InterfaceSaid().contains(QStringLiteral("Loading Second dictionary")));
    EXPECT_EQ(window->speaker->Speed(), 5);

    // Gone: the first offered one is loaded at once and the history emptied.
    WriteRegistry(QStringLiteral("[Sample]\nPath=dict/sample.dict\nHidden=0\n"));
    window->ReloadDictionaryList(QStringLiteral("Lexivoce.ini"));
    EXPECT_EQ(window->Dictionary.ActiveDictIndex, 0);
    EXPECT_EQ(window->WordList->Count(), 5);
    EXPECT_EQ(window->lstHistory->count(), 0);
    EXPECT_TRUE(InterfaceSaid().contains(QStringLiteral("Sample dictionary is ready")));
    EXPECT_EQ(window->Dictionary.ActiveDictName, QStringLiteral("Second")); // only a pick changes it

    // Nothing offered: no active dictionary, the words stay.
    WriteRegistry(QStringLiteral("[Sample]\nPath=dict/sample.dict\nHidden=1\n"));
    window->ReloadDictionaryList(QStringLiteral("Lexivoce.ini"));
    EXPECT_EQ(window->Dictionary.ActiveDictIndex, -1);
    EXPECT_TRUE(window->mnuDictionary->actions().isEmpty());
    EXPECT_EQ(window->WordList->Count(), 5);
    EXPECT_TRUE(window->GetDictVoiceName(1).isEmpty());
}

TEST_F(MainDictTest, AVoiceBeyondTheInstalledOnesFallsBackToTheFirst)
{
    WriteRegistry(QStringLiteral("[Sample]\nPath=dict/sample.dict\nHidden=0\nVoice1=7\nVoice2=300\n"));
    Start();
    EXPECT_EQ(window->GetDictVoiceName(1), kEnglishVoice);
    EXPECT_EQ(window->GetDictVoiceName(2), kEnglishVoice);
    Type(QString());
    Forget();
    Key(window->edtLookup, Qt::Key_Down);
    EXPECT_EQ(EntrySaid(), QStringList{tagged(kEnglishVoice, QStringLiteral("abroad"))});
}

TEST_F(MainDictTest, SwitchingTheInterfaceLanguage)
{
    WriteFile(QStringLiteral("LANG/Lexivoce.vie"),
              utf8Ini(QStringLiteral("[Language]\neng=Vietnamese\nvie=Tiếng Việt\nvoice=%1\n"
                                     "[CONTROLS]\nmnuHistory=Lịch sử\n[LocalStrings]\nstChecked=đã chọn\n")
                          .arg(kVietnameseVoice)));
    WriteConfig(QStringLiteral("Sample"));
    Start();
    ASSERT_NE(window->mnu2ndLang, nullptr);
    EXPECT_EQ(window->mnu2ndLang->data().toString(), QStringLiteral("vie"));
    EXPECT_EQ(window->mnu2ndLang->text(), QStringLiteral("Vietnamese")); // its name in English
    EXPECT_EQ(window->mnu2ndLang->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
    EXPECT_FALSE(window->mnu2ndLang->isChecked());

    Forget();
    window->mnu2ndLang->trigger();
    // The new language says its name, in its own voice.
    EXPECT_EQ(InterfaceSaid().last(), QStringLiteral("Tiếng Việt"));
    EXPECT_EQ(Voice(window->spkInterface)->Voice(), 1);
    EXPECT_TRUE(window->mnu2ndLang->isChecked());
    EXPECT_FALSE(window->mnuEnglish->isChecked());
    EXPECT_EQ(window->InterfaceLanguage, QStringLiteral("vie"));
    EXPECT_EQ(ConfigValue(QStringLiteral("Language")), QStringLiteral("vie"));
    EXPECT_EQ(window->mnuEnglish->text(), QStringLiteral("Tiếng Anh"));
    EXPECT_EQ(window->mnu2ndLang->text(), QStringLiteral("Tiếng Việt"));
    EXPECT_EQ(window->mnuHistory->title(), QStringLiteral("Lịch sử"));
    EXPECT_EQ(window->spInterface->Words.stChecked, QStringLiteral("đã chọn"));
    EXPECT_EQ(window->spkInterface->VoiceName, kVietnameseVoice);
    // No pitch or speed in the file: the lowest.
    EXPECT_EQ(window->spkInterface->Pitch(), -10);
    EXPECT_EQ(window->spkInterface->Speed(), -10);
    // A caption the new file lacked is written into it from the old language.
    EXPECT_EQ(lang::TIniFile(QStringLiteral("LANG/Lexivoce.vie"))
                  .ReadString(QStringLiteral("CONTROLS"), QStringLiteral("mnuBack"), {}),
              QStringLiteral("Back"));

    // Ctrl+E works in the look-up edit, which would take it as "end of line".
    Key(window->edtLookup, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(window->InterfaceLanguage, QStringLiteral("eng"));
    EXPECT_EQ(window->mnuHistory->title(), QStringLiteral("History"));
    EXPECT_EQ(window->spkInterface->VoiceName, kEnglishVoice);
    window.reset();

    // Started in the second language, its item is checked.
    WriteConfig(QStringLiteral("Sample"), QStringLiteral("vie"));
    Start();
    EXPECT_TRUE(window->mnu2ndLang->isChecked());
    EXPECT_EQ(window->mnuHistory->title(), QStringLiteral("Lịch sử"));
}

TEST_F(MainDictTest, ClipboardIsLookedUpOnlyWithTheKeyHeldFromTheBackground)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    Forget();
    QApplication::clipboard()->setText(QStringLiteral("book"));
    QApplication::processEvents();
    EXPECT_EQ(window->lstHistory->count(), 0);

    lookupKeyHeld = true; // but the program is in front
    QApplication::clipboard()->setText(QStringLiteral("abroad"));
    QApplication::processEvents();
    EXPECT_EQ(window->lstHistory->count(), 0);

    inBackground = true;
    QApplication::clipboard()->setText(QStringLiteral(" Apple tree\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lstHistory->count() == 1; }, 5000));
    EXPECT_EQ(window->edtLookup->text(), QStringLiteral("Apple tree"));
    EXPECT_EQ(HistoryWords(), QStringList{QStringLiteral("Apple tree")});
    EXPECT_TRUE(window->rvMeaning->toPlainText().contains(QStringLiteral("cây táo")));
    EXPECT_TRUE(EntrySaid().join(u'|').contains(QStringLiteral("cây táo")));

    Forget();
    QApplication::clipboard()->setText(QStringLiteral("nothing here"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return InterfaceSaid().contains(QStringLiteral("The word you have typed does not exists")); }, 5000));
    EXPECT_EQ(window->lstHistory->count(), 1);
}

} // namespace
} // namespace lexivoce::app
