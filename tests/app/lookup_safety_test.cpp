// The main window with indexes that are stale, damaged or crafted, entries
// and head words of tens of megabytes, paths that are not files, and text
// typed in another Unicode normalisation.
#include "tests/app/main_dict_fixture.h"
#include "tests/support/keys.h"

#include "dict/entry_renderer.h"
#include "dict/index_number.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>

#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace lexivoce::app {
namespace {

using namespace test_support;

const QString kOutOfDate = QStringLiteral("The index of this dictionary is out of date. Rebuild it now?");
const QString kOlder =
    QStringLiteral("The index of Sample dictionary is older than the dictionary and may be out of date");
const QString kCut = QStringLiteral("This entry is too long; only its beginning is shown");

class LookupSafetyTest : public MainDictTest
{
protected:
    // From now on each message box is answered with the button of that
    // name, after its text has been kept in questions.
    void AnswerBoxesWith(const QString &buttonName)
    {
        answer = buttonName;
        if (m_answerer.isActive())
            return;
        QObject::connect(&m_answerer, &QTimer::timeout, [this] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            for (const QLabel *label : box->findChildren<QLabel *>())
                questions += label->text();
            if (auto *button = box->findChild<QPushButton *>(answer))
                button->click();
            else
                box->close();
        });
        m_answerer.start(20);
    }

    // The sample dictionary rewritten so that its index no longer fits it,
    // and marked as changed an hour after the index.
    void EditSampleAfterItsIndex()
    {
        QByteArray dictionary = test::TestData(QStringLiteral("dict/sample.dict"));
        dictionary.insert(dictionary.indexOf("*phó từ"), "-một nghĩa mới thêm vào\r\n");
        WriteFile(QStringLiteral("dict/sample.dict"), dictionary);
        QFile file(PathOf(QStringLiteral("dict/sample.dict")));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime));
    }

    // The sample index with one word's line replaced.
    void ReplaceIndexLine(const QByteArray &word, const QByteArray &line)
    {
        QByteArray index = ReadFile(QStringLiteral("dict/sample.index"));
        const qsizetype start = index.indexOf("\n" + word + "\t") + 1;
        ASSERT_GT(start, 0);
        const qsizetype end = index.indexOf('\n', start);
        index.replace(start, (end < 0 ? index.size() : end) - start, line);
        WriteFile(QStringLiteral("dict/sample.index"), index);
    }

    // Whether condition came true within five seconds (QTRY_VERIFY would
    // return from the test unseen by GoogleTest).
    static bool Eventually(const std::function<bool()> &condition)
    {
        return QTest::qWaitFor(condition, 5000);
    }

    // The window active again after a box, as the window manager makes it.
    void Reactivate()
    {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void Enter(const QString &word)
    {
        Type(word);
        Forget();
        Key(window->edtLookup, Qt::Key_Return);
    }

    QString answer;
    QStringList questions;

private:
    QTimer m_answerer;
};

TEST_F(LookupSafetyTest, AStaleIndexIsNoticedAndRebuiltOnlyWhenTheUserSaysYes)
{
    EditSampleAfterItsIndex();
    WriteConfig(QStringLiteral("Sample"));
    AnswerBoxesWith(QStringLiteral("btnDlgNo"));
    Start();
    // Said once, as the dictionary opens.
    const QStringList opened = InterfaceSaid();
    EXPECT_EQ(opened.count(kOlder), 1) << opened.join(u'|').toStdString();
    EXPECT_EQ(opened.indexOf(kOlder), opened.indexOf(QStringLiteral("Sample dictionary is ready")) + 1);

    // "Apple" now leads into the middle of another entry: nothing of it is
    // shown or read, and the user is asked.
    Enter(QStringLiteral("apple"));
    ASSERT_TRUE(Eventually([this] { return questions.contains(kOutOfDate); }));
    test::THeardLog::Settle();
    EXPECT_TRUE(InterfaceSaid().join(u'|').contains(kOutOfDate)) << InterfaceSaid().join(u'|').toStdString();
    EXPECT_TRUE(EntrySaid().isEmpty()) << EntrySaid().join(u'|').toStdString();
    EXPECT_EQ(window->rvMeaning->ItemCount(), 0);
    const QByteArray staleIndex = ReadFile(QStringLiteral("dict/sample.index"));

    // Yes: the index is rebuilt, the word list reloaded and the word shown.
    questions.clear();
    AnswerBoxesWith(QStringLiteral("btnDlgYes"));
    Reactivate();
    Enter(QStringLiteral("apple"));
    ASSERT_TRUE(Eventually([this] { return questions.contains(kOutOfDate); }));
    ASSERT_TRUE(Eventually([this] { return window->rvMeaning->ItemCount() > 0; }));
    EXPECT_EQ(window->rvMeaning->ItemText(0), QStringLiteral("Apple "));
    // The entry has the focus and is read once the window is active again.
    Reactivate();
    test::THeardLog::Settle();
    EXPECT_NE(ReadFile(QStringLiteral("dict/sample.index")), staleIndex);
    const QString said = InterfaceSaid().join(u'|');
    EXPECT_TRUE(said.contains(QStringLiteral("Index file has been created"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("Sample dictionary is ready")));
    EXPECT_TRUE(EntrySaid().join(u'|').contains(QStringLiteral("quả táo"))) << EntrySaid().join(u'|').toStdString();
    // The stale look-ups' history went with the old index; the new look-up
    // is of the dictionary's word.
    EXPECT_EQ(HistoryWords(), QStringList{QStringLiteral("Apple")});

    // The new index fits: the next look-up asks nothing.
    questions.clear();
    Reactivate();
    Enter(QStringLiteral("abroad"));
    EXPECT_EQ(window->rvMeaning->ItemText(0), QStringLiteral("abroad "));
    EXPECT_TRUE(questions.isEmpty());
}

TEST_F(LookupSafetyTest, DamagedAndCraftedLocationsNeverShowAnotherEntry)
{
    struct Case
    {
        const char *Name;
        QByteArray Word;
        QByteArray Line;
        QString Typed;
        bool Asked;
    };
    const QByteArray apple = "GL";
    const std::vector<Case> cases = {
        {"a crafted 2 GiB length gives the entry alone", "abroad",
         "abroad\tBq\t" + dict::EncodeIndexNumber(0x7FFFFFFF), QStringLiteral("abroad"), false},
        {"an offset past the end of the file", "Apple", "Apple\t/////\tp", QStringLiteral("apple"), true},
        {"an offset into another entry", "Apple", "Apple\tBq\tp", QStringLiteral("apple"), true},
        {"an offset inside the word's own entry", "Apple", "Apple\t" + dict::EncodeIndexNumber(dict::DecodeIndexNumber(apple) + 1) + "\tp",
         QStringLiteral("apple"), true},
    };
    WriteConfig(QStringLiteral("Sample"));
    AnswerBoxesWith(QStringLiteral("btnDlgNo"));
    const QByteArray original = ReadFile(QStringLiteral("dict/sample.index"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFile(QStringLiteral("dict/sample.index"), original);
        ReplaceIndexLine(c.Word, c.Line);
        questions.clear();
        Start();
        Enter(c.Typed);
        if (c.Asked) {
            EXPECT_TRUE(Eventually([this] { return questions.contains(kOutOfDate); }));
            EXPECT_EQ(window->rvMeaning->ItemCount(), 0);
        } else {
            // The entry runs up to the next '@', not to the end of the file.
            const QString shown = window->rvMeaning->Document()->PlainText();
            EXPECT_TRUE(shown.startsWith(QStringLiteral("abroad "))) << shown.toStdString();
            EXPECT_FALSE(shown.contains(QStringLiteral("Apple"))) << shown.toStdString();
            QApplication::processEvents();
            EXPECT_TRUE(questions.isEmpty());
        }
        window.reset();
    }
}

TEST_F(LookupSafetyTest, HugeEntriesAndWordsAreCutAndTheWindowAnswersTheNextKeyAtOnce)
{
    // Entries of the sizes that froze the window: a 40 MB meaning line and a
    // 15 MB example, and a 4 MB head word.
    constexpr qsizetype kMb = 1024 * 1024;
    QByteArray dictionary = test::TestData(QStringLiteral("dict/sample.dict"));
    dictionary += "@zz huge\r\n-" + QByteArray("con chó nhỏ ").repeated(40 * kMb / 15) + "\r\n";
    dictionary += "@zz huge example\r\n=" + QByteArray("dog cat ").repeated(15 * kMb / 8) + "+ chó mèo\r\n";
    dictionary += "@zzz" + QByteArray("w").repeated(4 * kMb) + "\r\n-x\r\n";
    WriteFile(QStringLiteral("dict/sample.dict"), dictionary);
    dictionary.clear();
    ASSERT_EQ(dict::BuildIndex(PathOf(QStringLiteral("dict/sample.dict"))), dict::TJobResult::Done);
    WriteConfig(QStringLiteral("Sample"));
    Start();
    ASSERT_EQ(window->WordList->Count(), 8);
    EXPECT_LE(window->WordList->Word(7).toUtf8().size(), dict::kMaxWordBytes);

    for (const QString &word : {QStringLiteral("zz huge"), QStringLiteral("zz huge example")}) {
        SCOPED_TRACE(word.toStdString());
        Type(word);
        Forget();
        // Enter opens the entry; the next key (Ctrl+slash: where am I) must
        // be answered as soon as the opening is over. Before the bounds this
        // took minutes; the target, 100 ms, is measured by
        // lexivoce-entry-bench, so that a loaded machine cannot fail this test.
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(window->edtLookup, Qt::Key_Return);
        QTest::keyClick(window->rvMeaning, Qt::Key_Slash, Qt::ControlModifier);
        const qint64 answeredMs = timer.elapsed();
        std::printf("opening %s and answering the next key: %lld ms\n", qPrintable(word),
                    static_cast<long long>(answeredMs));
        EXPECT_LT(answeredMs, 3000);
        EXPECT_TRUE(window->rvMeaning->ItemCount() <= dict::kMaxEntryItems + 1);
        EXPECT_EQ(window->rvMeaning->ItemText(0), word);
        const QStringList said = InterfaceSaid();
        EXPECT_TRUE(said.contains(QStringLiteral("Veltari Talking dictionary, Sample")));
        // The user hears that the entry was cut before hearing it.
        qsizetype cutAt = -1;
        qsizetype entryAt = -1;
        for (qsizetype i = 0; i < heard.Entries.size(); ++i) {
            if (heard.Entries[i].Plain() == kCut && cutAt < 0)
                cutAt = i;
            if (heard.Entries[i].Plain().startsWith(word) && entryAt < 0)
                entryAt = i;
        }
        EXPECT_GE(cutAt, 0) << said.join(u'|').toStdString();
        EXPECT_LT(cutAt, entryAt);
    }

    // The capped head word is walked to and looked up like any other.
    Type(QStringLiteral("zzz"));
    Forget();
    Key(window->edtLookup, Qt::Key_Down);
    EXPECT_EQ(window->SelectedWord(), 7);
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_TRUE(window->rvMeaning->ItemText(0).startsWith(QStringLiteral("zzzwww")));
    // The run is the head line's, marker included.
    EXPECT_EQ(window->rvMeaning->ItemText(0).size(), dict::kMaxUnbreakableRun - 1);
}

TEST_F(LookupSafetyTest, AnIndexThatIsNotARegularFileIsRefusedWithoutWaiting)
{
    QFile::remove(PathOf(QStringLiteral("dict/sample.index")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf(QStringLiteral("dict/sample.index"))).constData(), 0600), 0);
    WriteConfig(QStringLiteral("Sample"));
    AnswerErrorBoxes();
    window = std::make_unique<TfrmMainDict>();
    window->show();
    // Reading a FIFO would wait for a writer for ever.
    ASSERT_TRUE(Eventually([this] { return !boxText.isEmpty(); }));
    EXPECT_TRUE(boxText.contains(QStringLiteral("sample.index"))) << boxText.toStdString();
    EXPECT_TRUE(boxText.contains(QStringLiteral("not a regular file"))) << boxText.toStdString();
    EXPECT_EQ(window->WordList->Count(), 0);
}

TEST_F(LookupSafetyTest, TextTypedInAnotherNormalisationFindsTheWordAndItsHistory)
{
    WriteConfig(QStringLiteral("Sample"));
    Start();
    // "việt nam" with the letter's marks as combining characters.
    const QString decomposed = QString::fromUtf8("vie\xCC\xA3\xCC\x82t nam");
    window->edtLookup->setFocus();
    window->edtLookup->setText(decomposed);
    Forget();
    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_EQ(window->rvMeaning->ItemText(0), QStringLiteral("Việt Nam"));
    EXPECT_TRUE(EntrySaid().join(u'|').contains(QStringLiteral("nước Việt Nam")));
    Enter(QStringLiteral("abroad"));
    EXPECT_EQ(HistoryWords(), (QStringList{decomposed, QStringLiteral("abroad")}));
    // Back shows the entry by the word as it was typed.
    Key(window->rvMeaning, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window->rvMeaning->ItemText(0), QStringLiteral("Việt Nam"));
}

} // namespace
} // namespace lexivoce::app
