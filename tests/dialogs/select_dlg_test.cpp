#include "dialogs/select_dlg.h"

#include "dialogs/error_display.h"
#include "dialogs/file_dialog.h"
#include "dialogs/message_dialog.h"
#include "dict/index_builder.h"
#include "dict/registry.h"
#include "lang/ini_file.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/fake_speech.h"
#include "tests/support/heard_log.h"
#include "tests/support/message_answers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

namespace lexivoce::dialogs {
namespace {

const QByteArray kSmallDictionary = "@00-database-info\r\n-x\r\n@00-database-short\r\n-x\r\n@00-database-url\r\n-x\r\n"
                                    "@zebra\r\n-ngựa vằn\r\n@able\r\n-có năng lực\r\n";

// A registry of two dictionaries, and the dialog on it, up and active.
class SelectDlgTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        SetErrorDisplayContext(&m_sp, nullptr);
    }

    void TearDown() override
    {
        m_dialog.reset();
        ResetErrorDisplayContext();
        TempDirTest::TearDown();
    }

    void WriteRegistry(const QString &text) { WriteFile(QStringLiteral("Lexivoce.ini"), text.toUtf8()); }

    static QString TwoDictionaries()
    {
        return QStringLiteral("[First]\nPath=first.dict\nHidden=0\nVoice1=1\nVoice2=0\nSpeed=12\nPitch=8\nReadPunc=1\n"
                              "[Second]\nPath=second.dict\nHidden=0\nVoice1=0\nVoice2=1\nSpeed=10\nPitch=10\n"
                              "ReadPunc=0\n");
    }

    TfrmSelectDlg &Open()
    {
        m_dialog = std::make_unique<TfrmSelectDlg>();
        m_dialog->SpeakingComponent = &m_sp;
        m_dialog->VoiceNames = {QStringLiteral("English"), QStringLiteral("Vietnamese")};
        m_dialog->RegistryName = PathOf(QStringLiteral("Lexivoce.ini"));
        m_sp.HookControlTree(m_dialog.get());
        m_dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
        return *m_dialog;
    }

    QList<dict::TDictRecord> Registry() const
    {
        return dict::ReadRegistry(lang::TIniFile(PathOf(QStringLiteral("Lexivoce.ini"))));
    }

    bool Said(const QString &text) const
    {
        const QStringList said = m_speech.Said();
        return std::any_of(said.cbegin(), said.cend(), [&](const QString &spoken) { return spoken.contains(text); });
    }

    // Answers the error box that the next action opens once it has been
    // said, as a user would, and keeps its text; spoken tells whether it was.
    QString AnswerTheError(const std::function<void()> &action, bool *spoken)
    {
        test::TMessageAnswers answers({[&](TMessageForm *form) {
            const QString message = form->findChild<QLabel *>(QStringLiteral("lblDlgMsg"))->text();
            *spoken = QTest::qWaitFor([&] { return Said(message.left(20)); }, 5000);
            test::Click(form, "btnDlgOK");
        }});
        action();
        return answers.Messages.value(0);
    }

    test::TFakeSpeech m_speech;
    speech::fake::TFakeVoice *m_voice = m_speech.Voice;
    speech::TSpeakingComponent &m_sp = m_speech.Sp;
    std::unique_ptr<TfrmSelectDlg> m_dialog;
};

TEST_F(SelectDlgTest, AMissingRegistryGivesAnEmptyListAndAddIsTheWayIn)
{
    TfrmSelectDlg &dialog = Open();
    EXPECT_EQ(dialog.lstDicts->topLevelItemCount(), 0);
    EXPECT_FALSE(dialog.edtFileName->isEnabled());
    EXPECT_FALSE(dialog.edtDictName->isEnabled());
    EXPECT_FALSE(dialog.btnDelete->isEnabled());
    EXPECT_FALSE(dialog.btnSave->isEnabled());

    dialog.btnAdd->click();
    EXPECT_TRUE(dialog.Adding);
    EXPECT_TRUE(dialog.edtFileName->isEnabled());
    EXPECT_EQ(dialog.edtDictName->text(), QStringLiteral("Từ điển mới"));
    EXPECT_FALSE(dialog.btnAdd->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), dialog.edtFileName);
    QTest::keyClicks(dialog.edtFileName, QStringLiteral("new.dict"));
    EXPECT_TRUE(dialog.btnSave->isEnabled());
    dialog.cboVoices1->setCurrentIndex(0);
    dialog.cboVoices2->setCurrentIndex(1);
    dialog.btnSave->click();
    ASSERT_EQ(Registry().size(), 1);
    EXPECT_EQ(Registry().first().Name, QStringLiteral("Từ điển mới"));
    EXPECT_EQ(Registry().first().Path, QStringLiteral("new.dict"));
    EXPECT_EQ(Registry().first().Voice2, 1);
    EXPECT_TRUE(Said(QStringLiteral("The new item has been added")));
    EXPECT_FALSE(dialog.Adding);
    EXPECT_TRUE(dialog.btnAdd->isEnabled());
    EXPECT_FALSE(dialog.btnSave->isEnabled());
}

TEST_F(SelectDlgTest, TheControlsFollowTheSelectedDictionary)
{
    WriteRegistry(TwoDictionaries());
    TfrmSelectDlg &dialog = Open();
    ASSERT_EQ(dialog.lstDicts->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.edtDictName->text(), QStringLiteral("First"));
    EXPECT_EQ(dialog.edtFileName->text(), QStringLiteral("first.dict"));
    EXPECT_EQ(dialog.cboVoices1->currentIndex(), 1);
    EXPECT_EQ(dialog.tkbPitch->value(), 8);
    EXPECT_EQ(dialog.tkbSpeed->value(), 12);
    EXPECT_TRUE(dialog.chkReadPunc->isChecked());
    dialog.lstDicts->setCurrentItem(dialog.lstDicts->topLevelItem(1));
    EXPECT_EQ(dialog.edtDictName->text(), QStringLiteral("Second"));
    EXPECT_EQ(dialog.cboVoices1->currentIndex(), 0);
    EXPECT_EQ(dialog.tkbPitch->value(), 10);
    EXPECT_FALSE(dialog.chkReadPunc->isChecked());
    // Selecting changes nothing that needs saving.
    EXPECT_FALSE(dialog.Modified);
    EXPECT_FALSE(dialog.btnSave->isEnabled());
}

TEST_F(SelectDlgTest, ARenamedDictionaryMovesToTheEndOfTheFileAndStaysInPlaceInTheList)
{
    WriteRegistry(TwoDictionaries());
    TfrmSelectDlg &dialog = Open();
    dialog.edtDictName->setText(QStringLiteral("Renamed"));
    EXPECT_TRUE(dialog.Modified);
    dialog.tkbPitch->setValue(15);
    dialog.btnSave->click();
    const QList<dict::TDictRecord> records = Registry();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].Name, QStringLiteral("Second"));
    EXPECT_EQ(records[1].Name, QStringLiteral("Renamed"));
    EXPECT_EQ(records[1].Pitch, 15);
    EXPECT_EQ(records[1].Voice1, 1);
    EXPECT_EQ(dialog.lstDicts->topLevelItem(0)->text(0), QStringLiteral("Renamed"));
    EXPECT_TRUE(Said(QStringLiteral("The selected item has been modified")));

    // Unchecked: no longer offered. Cancel keeps what was saved.
    dialog.lstDicts->setCurrentItem(dialog.lstDicts->topLevelItem(1));
    dialog.lstDicts->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    EXPECT_TRUE(dialog.btnSave->isEnabled());
    dialog.btnSave->click();
    dialog.btnCancel->click();
    EXPECT_EQ(dialog.result(), 2);
    EXPECT_EQ(Registry().last().Name, QStringLiteral("Second"));
    EXPECT_EQ(Registry().last().Hidden, 1);
}

TEST_F(SelectDlgTest, SaveNeverWritesWithoutANameAFileOrASelection)
{
    WriteRegistry(TwoDictionaries());
    TfrmSelectDlg &dialog = Open();
    const QByteArray before = ReadFile(QStringLiteral("Lexivoce.ini"));
    dialog.edtDictName->setText(QStringLiteral("Second")); // another's name
    dialog.btnSave->click();
    dialog.edtDictName->clear();
    dialog.cboVoices2->setCurrentIndex(1); // enables Save all the same
    ASSERT_TRUE(dialog.btnSave->isEnabled());
    dialog.btnSave->click();
    EXPECT_EQ(ReadFile(QStringLiteral("Lexivoce.ini")), before);
    EXPECT_TRUE(Said(QStringLiteral("Each dictionary needs a name of its own and a file")));

    // Delete leaves nothing selected: a later Save writes nothing.
    dialog.lstDicts->setCurrentItem(dialog.lstDicts->topLevelItem(1));
    dialog.btnDelete->click();
    ASSERT_EQ(Registry().size(), 1);
    EXPECT_TRUE(Said(QStringLiteral("The selected item has been deleted")));
    EXPECT_TRUE(dialog.Modified);
    dialog.btnSave->click();
    EXPECT_EQ(Registry().size(), 1);

    // Deleting the new one before it was saved ends the adding.
    dialog.btnAdd->click();
    dialog.lstDicts->topLevelItem(1)->setSelected(true);
    dialog.btnDelete->click();
    EXPECT_FALSE(dialog.Adding);
    EXPECT_EQ(dialog.lstDicts->topLevelItemCount(), 1);
    EXPECT_EQ(Registry().size(), 1);
}

TEST_F(SelectDlgTest, TypingTheFileToIndexMarksTheSelectionModified)
{
    WriteRegistry(TwoDictionaries());
    TfrmSelectDlg &dialog = Open();
    dialog.edtDictFile->setText(QStringLiteral("x"));
    EXPECT_TRUE(dialog.Modified);
}

TEST_F(SelectDlgTest, AnIndexIsBuiltFromTheDialogSortedOnRequest)
{
    WriteFile(QStringLiteral("words.dict"), kSmallDictionary);
    TfrmSelectDlg &dialog = Open();
    QList<int> progress;
    QObject::connect(dialog.pgbMakeIndex, &QProgressBar::valueChanged, [&](int value) { progress << value; });
    dialog.edtDictFile->setText(PathOf(QStringLiteral("words.dict")));
    dialog.chkSort->setChecked(true);
    // Pressed from the keyboard: the focus stays on Create.
    dialog.pgeConfig->setCurrentWidget(dialog.tabCreateIndex);
    dialog.btnMake->setFocus();
    QTest::keyClick(dialog.btnMake, Qt::Key_Space);
    EXPECT_EQ(QApplication::focusWidget(), dialog.btnMake);
    EXPECT_FALSE(dialog.IsBuilding());
    EXPECT_TRUE(dialog.btnMake->isEnabled());
    EXPECT_FALSE(dialog.pgbMakeIndex->isVisible());
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 100);
    EXPECT_EQ(dialog.lblProgress->text(), QStringLiteral("100 %"));
    EXPECT_TRUE(QFileInfo::exists(PathOf(QStringLiteral("words.index"))));
    // Sorted: "able" now comes before "zebra".
    const QByteArray sorted = ReadFile(QStringLiteral("words.dict"));
    EXPECT_LT(sorted.indexOf("@able"), sorted.indexOf("@zebra"));
    EXPECT_TRUE(Said(QStringLiteral("Sorting dict file")));
    EXPECT_TRUE(Said(QStringLiteral("Creating index file")));
    EXPECT_TRUE(Said(QStringLiteral("Index file has been created")));
}

TEST_F(SelectDlgTest, WithoutSortTheFileIsLeftAsItIs)
{
    WriteFile(QStringLiteral("words.dict"), kSmallDictionary);
    TfrmSelectDlg &dialog = Open();
    dialog.edtDictFile->setText(PathOf(QStringLiteral("words.dict")));
    dialog.btnMake->click();
    EXPECT_EQ(ReadFile(QStringLiteral("words.dict")), kSmallDictionary);
    EXPECT_TRUE(QFileInfo::exists(PathOf(QStringLiteral("words.index"))));
    EXPECT_FALSE(Said(QStringLiteral("Sorting dict file")));
    EXPECT_TRUE(Said(QStringLiteral("Index file has been created")));
}

TEST_F(SelectDlgTest, OpenPicksTheFileWithTheAccessibleFileDialog)
{
    WriteFile(QStringLiteral("words.dict"), kSmallDictionary);
    WriteRegistry(TwoDictionaries());
    TfrmSelectDlg &dialog = Open();
    dialog.edtFileName->setText(PathOf(QStringLiteral("first.dict")));
    QString caption;
    QStringList types;
    QTimer::singleShot(50, [&] {
        auto *files = qobject_cast<TfrmFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(files, nullptr);
        caption = files->windowTitle();
        for (int i = 0; i < files->cboFileType->count(); ++i)
            types << files->cboFileType->itemText(i);
        // It starts where the file named lies.
        EXPECT_EQ(files->Folder(), PathOf(QString()) + u'/');
        files->edtFileName->setText(QStringLiteral("words.dict"));
        QTest::keyClick(files->edtFileName, Qt::Key_Return);
    });
    dialog.btnOpenFile->click();
    EXPECT_EQ(caption, QStringLiteral("Mở từ điển"));
    EXPECT_EQ(types, QStringList{QStringLiteral("Từ điển (*.dict)")});
    EXPECT_EQ(dialog.edtFileName->text(), PathOf(QStringLiteral("words.dict")));
    EXPECT_TRUE(dialog.Modified);
}

TEST_F(SelectDlgTest, AMissingFileIsSaidAndNothingIsCreated)
{
    TfrmSelectDlg &dialog = Open();
    dialog.edtDictFile->setText(PathOf(QStringLiteral("missing.dict")));
    bool spoken = false;
    const QString message = AnswerTheError([&] { dialog.btnMake->click(); }, &spoken);
    EXPECT_TRUE(message.contains(QStringLiteral("missing.dict"))) << message.toStdString();
    EXPECT_TRUE(spoken);
    EXPECT_FALSE(Said(QStringLiteral("Index file has been created")));
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("missing.index"))));
    EXPECT_TRUE(dialog.btnMake->isEnabled());
}

TEST_F(SelectDlgTest, TheListSaysEachDictionaryOnceWithItsFile)
{
    WriteRegistry(TwoDictionaries());
    test::THeardLog heard;
    TfrmSelectDlg &dialog = Open();
    dialog.lstDicts->setFocus();
    ASSERT_TRUE(test::THeardLog::Settle());
    heard.Clear();
    QTest::keyClick(dialog.lstDicts, Qt::Key_Down);
    ASSERT_TRUE(test::THeardLog::Settle());
    EXPECT_EQ(heard.Whole(), QStringList{QStringLiteral("Available dictionaries Name Second File second.dict checked")});
}

} // namespace
} // namespace lexivoce::dialogs
