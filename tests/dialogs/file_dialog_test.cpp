#include "dialogs/file_dialog.h"

#include "dialogs/message_dialog.h"
#include "lang/localize.h"
#include "shellview/shell_combo.h"
#include "shellview/shell_list.h"
#include "speech/fake/fake_voice.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "tests/support/fake_speech.h"
#include "tests/support/heard_log.h"
#include "tests/support/message_answers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace lexivoce::dialogs {
namespace {

const QString kDictionaries = QStringLiteral("Từ điển (*.dict)|*.dict|");

using test::TMessageAnswers;

void click(TMessageForm *form, const char *button)
{
    test::Click(form, button);
}

// Counts the keys of one kind that reach a control.
class TKeySpy : public QObject
{
public:
    TKeySpy(QObject *target, int key) : m_key(key) { target->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == m_key)
            ++Count;
        return false;
    }

private:
    int m_key;
};

// A folder with two subfolders and three files, and a home of its own for
// the trash.
class FileDialogTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        for (const char *folder : {"tree/dict", "tree/Books", "home"})
            ASSERT_TRUE(QDir().mkpath(PathOf(QString::fromLatin1(folder))));
        for (const char *file : {"tree/a.dict", "tree/b.dict", "tree/notes.txt", "tree/dict/c.dict"})
            WriteFile(QString::fromLatin1(file), "@x\n");
        qputenv("HOME", QFile::encodeName(PathOf(QStringLiteral("home"))));
        qunsetenv("XDG_DATA_HOME");
    }

    void TearDown() override
    {
        m_dialog.reset();
        TempDirTest::TearDown();
    }

    // The dialog as the dictionary manager opens it, up and active.
    TfrmFileDialog &Open(std::uint8_t mode = fdmOpen, const QString &filters = kDictionaries)
    {
        m_dialog = std::make_unique<TfrmFileDialog>();
        m_dialog->SpeakingComponent = &m_sp;
        m_dialog->SetInitialFolder(PathOf(QStringLiteral("tree")));
        m_dialog->SetFilterList(filters);
        m_dialog->SetFilterIndex(0);
        m_dialog->SetDialogMode(mode);
        m_sp.HookControlTree(m_dialog.get());
        m_dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
        return *m_dialog;
    }

    QString Tree(const QString &name) const { return PathOf(QStringLiteral("tree/") + name); }

    test::TFakeSpeech m_speech;
    speech::fake::TFakeVoice *m_voice = m_speech.Voice;
    speech::TSpeakingComponent &m_sp = m_speech.Sp;
    std::unique_ptr<TfrmFileDialog> m_dialog;
};

TEST_F(FileDialogTest, FilterListGivesOneEntryPerPairAndIndexZeroFilters)
{
    TfrmFileDialog &dialog = Open();
    ASSERT_EQ(dialog.cboFileType->count(), 1);
    EXPECT_EQ(dialog.cboFileType->itemText(0), QStringLiteral("Từ điển (*.dict)"));
    EXPECT_EQ(dialog.lvwFiles->Mask(), QStringLiteral("*.dict"));
    EXPECT_EQ(dialog.FilterIndex, 0);
    EXPECT_EQ(dialog.cboFileType->currentIndex(), 0);

    TfrmFileDialog other;
    other.SetFilterList(QStringLiteral("Text|*.txt|All|*|Dangling"));
    ASSERT_EQ(other.cboFileType->count(), 2);
    EXPECT_EQ(other.cboFileType->itemText(1), QStringLiteral("All"));
    EXPECT_EQ(other.cboFileType->itemData(1).toString(), QStringLiteral("*"));
    other.SetFilterList(QStringLiteral("Last|*.last"));
    EXPECT_EQ(other.cboFileType->itemData(2).toString(), QStringLiteral("*.last"));
    other.SetFilterIndex(3);
    EXPECT_EQ(other.FilterIndex, -1);
}

TEST_F(FileDialogTest, TypedPatternsFilterAndKeepTheDialogOpen)
{
    TfrmFileDialog &dialog = Open(fdmOpen, kDictionaries + QStringLiteral("Both (*.txt;*.dict)|*.txt;*.dict|"));
    dialog.edtFileName->setText(QStringLiteral("*.txt *.dict"));
    QTest::keyClick(dialog.edtFileName, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.lvwFiles->Mask(), QStringLiteral("*.txt;*.dict"));
    EXPECT_EQ(dialog.cboFileType->currentIndex(), 1); // its text holds the pattern
    EXPECT_EQ(dialog.edtFileName->text(), QStringLiteral("*.txt *.dict"));

    dialog.edtFileName->setText(QStringLiteral("*.none"));
    QTest::keyClick(dialog.edtFileName, Qt::Key_Return);
    EXPECT_EQ(dialog.cboFileType->currentIndex(), 1); // no entry holds it
    ASSERT_TRUE(test::THeardLog::Settle());
    EXPECT_TRUE(m_voice->Spoken().last().contains(QStringLiteral("Không có tập tin trong thư mục.")));

    // Choosing a type empties a typed pattern.
    dialog.cboFileType->setCurrentIndex(0);
    EXPECT_EQ(dialog.lvwFiles->Mask(), QStringLiteral("*.dict"));
    EXPECT_TRUE(dialog.edtFileName->text().isEmpty());
}

TEST_F(FileDialogTest, EnterOnAFolderEntersItOnAFileReturnsIt)
{
    TfrmFileDialog &dialog = Open();
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("dict")});
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Folder(), Tree(QStringLiteral("dict/")));
    EXPECT_EQ(dialog.cboDrives->currentText(), QStringLiteral("dict"));

    QTest::keyClick(dialog.lvwFiles, Qt::Key_Backspace);
    EXPECT_EQ(dialog.Folder(), Tree(QString()));
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("b.dict")});
    EXPECT_EQ(dialog.edtFileName->text(), QStringLiteral("b.dict"));
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(dialog.FileName, Tree(QStringLiteral("b.dict")));
}

TEST_F(FileDialogTest, TypedNamesAFolderIsEnteredAnythingElseReturned)
{
    TfrmFileDialog &dialog = Open();
    dialog.edtFileName->setText(QStringLiteral("Books"));
    QTest::keyClick(dialog.edtFileName, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Folder(), Tree(QStringLiteral("Books/")));
    EXPECT_TRUE(dialog.edtFileName->text().isEmpty());
    // Not there: returned all the same, the caller checks.
    dialog.edtFileName->setText(QStringLiteral("later.dict"));
    QTest::keyClick(dialog.edtFileName, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(dialog.FileName, Tree(QStringLiteral("Books/later.dict")));
}

TEST_F(FileDialogTest, SeveralFilesGoQuotedIntoTheFieldAndComeBackWithoutAFileName)
{
    TfrmFileDialog &dialog = Open();
    dialog.SetMultiSelect(true);
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("a.dict"), QStringLiteral("b.dict")});
    EXPECT_EQ(dialog.edtFileName->text(), QStringLiteral("\"a.dict\" \"b.dict\""));
    dialog.btnOK->click();
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_TRUE(dialog.FileName.isEmpty());
    EXPECT_EQ(dialog.SelectedFiles(), (QStringList{Tree(QStringLiteral("a.dict")), Tree(QStringLiteral("b.dict"))}));
    EXPECT_EQ(SplitQuotedNames(QStringLiteral("\"a b.dict\" c.dict,\"say \"\"hi\"\"\"")),
              (QStringList{QStringLiteral("a b.dict"), QStringLiteral("c.dict"), QStringLiteral("say \"hi\"")}));
}

TEST_F(FileDialogTest, AFolderSelectedAfterAFileKeepsTheFileName)
{
    TfrmFileDialog &dialog = Open();
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("a.dict")});
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("Books")});
    EXPECT_EQ(dialog.edtFileName->text(), QStringLiteral("a.dict"));
}

TEST_F(FileDialogTest, NothingToOpenIsReportedAndTheDialogStays)
{
    TfrmFileDialog &dialog = Open();
    TMessageAnswers answers({[](TMessageForm *form) { click(form, "btnDlgOK"); }});
    dialog.btnOK->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(answers.Messages, QStringList{QStringLiteral("Không có tập tin trong thư mục.")});
}

TEST_F(FileDialogTest, AtTheTopBackspaceDoesNothingAndGoUpIsOff)
{
    TfrmFileDialog &dialog = Open();
    EXPECT_TRUE(dialog.btnGoUp->isEnabled());
    dialog.lvwFiles->SetPath(QStringLiteral("/"));
    dialog.lvwFiles->setFocus();
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Backspace);
    ASSERT_TRUE(dialog.lvwFiles->IsTop());
    EXPECT_FALSE(dialog.btnGoUp->isEnabled());
    EXPECT_EQ(dialog.cboDrives->currentIndex(), 0);
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Backspace);
    EXPECT_TRUE(dialog.lvwFiles->IsTop());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(FileDialogTest, DeleteAsksAndNoKeepsEverything)
{
    TfrmFileDialog &dialog = Open();
    TKeySpy view(dialog.lvwFiles, Qt::Key_Delete);
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("a.dict")});
    QStringList buttons;
    TMessageAnswers answers({[&](TMessageForm *form) {
        for (const char *name : {"btnDlgYes", "btnDlgNo"})
            buttons << form->findChild<QPushButton *>(QString::fromLatin1(name))->text();
        click(form, "btnDlgNo");
    }});
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Delete);
    EXPECT_EQ(answers.Messages, QStringList{QStringLiteral("Bạn muốn xoá tạm thời a.dict ?")});
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Có"), QStringLiteral("Không")}));
    EXPECT_TRUE(QFileInfo::exists(Tree(QStringLiteral("a.dict"))));
    EXPECT_EQ(view.Count, 0);

    // Yes: to the trash, and the next file is the one selected.
    TMessageAnswers yes({[](TMessageForm *form) { click(form, "btnDlgYes"); }});
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Delete);
    EXPECT_FALSE(QFileInfo::exists(Tree(QStringLiteral("a.dict"))));
    EXPECT_TRUE(QFileInfo::exists(PathOf(QStringLiteral("home/.local/share/Trash/files/a.dict"))));
    EXPECT_EQ(dialog.lvwFiles->SelectedNames(), QStringList{QStringLiteral("b.dict")});
    EXPECT_EQ(view.Count, 0);
}

TEST_F(FileDialogTest, ShiftDeleteOnThreeItemsDeletesThemForGood)
{
    TfrmFileDialog &dialog = Open(fdmOpen, QStringLiteral("All|*|"));
    dialog.SetMultiSelect(true);
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("Books"), QStringLiteral("a.dict"), QStringLiteral("notes.txt")});
    TMessageAnswers answers({[](TMessageForm *form) { click(form, "btnDlgYes"); }});
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(answers.Messages, QStringList{QStringLiteral("Bạn muốn xoá hẳn 3 tập tin, thư mục ?")});
    for (const char *name : {"Books", "a.dict", "notes.txt"})
        EXPECT_FALSE(QFileInfo::exists(Tree(QString::fromLatin1(name)))) << name;
    EXPECT_TRUE(QFileInfo::exists(Tree(QStringLiteral("b.dict"))));
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("home/.local/share/Trash/files/a.dict"))));
}

TEST_F(FileDialogTest, AFailedDeleteIsShownAndSpoken)
{
    TfrmFileDialog &dialog = Open();
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("a.dict")});
    const auto saidFailure = [this] {
        test::THeardLog::Settle();
        for (const QString &text : m_voice->Spoken()) {
            if (test::PlainSpeech(text).startsWith(QStringLiteral("Không xoá được a.dict")))
                return true;
        }
        return false;
    };
    bool spoken = false;
    TMessageAnswers answers({[&](TMessageForm *form) {
                                 // Gone before the answer.
                                 QFile::remove(Tree(QStringLiteral("a.dict")));
                                 click(form, "btnDlgYes");
                             },
                             [&](TMessageForm *form) {
                                 // Answered once it has been said, as a user would.
                                 spoken = QTest::qWaitFor([&] { return saidFailure(); }, 5000);
                                 click(form, "btnDlgOK");
                             }});
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_EQ(answers.Messages.size(), 2);
    EXPECT_TRUE(answers.Messages[1].startsWith(QStringLiteral("Không xoá được a.dict: "))) << answers.Messages[1].toStdString();
    EXPECT_TRUE(spoken);
}

TEST_F(FileDialogTest, SaveWithoutANameStaysOpen)
{
    TfrmFileDialog &dialog = Open(fdmSave);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Lưu tập tin"));
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("Lưu"));
    dialog.btnOK->click();
    EXPECT_TRUE(dialog.isVisible());
    // The OK caption follows what is selected: a folder opens.
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("Books")});
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("Mở"));
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("a.dict")});
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("Lưu"));
    dialog.edtFileName->setFocus();
    dialog.edtFileName->setText(QStringLiteral("new.dict"));
    dialog.lvwFiles->clearSelection();
    dialog.btnOK->click();
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(dialog.FileName, Tree(QStringLiteral("new.dict")));
}

TEST_F(FileDialogTest, SelectFolderModeShowsFoldersOnlyAndAnswersWithTheFolder)
{
    TfrmFileDialog &dialog = Open(fdmSelectFolder);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Chọn thư mục"));
    for (QWidget *hidden : {static_cast<QWidget *>(dialog.lblFileName), static_cast<QWidget *>(dialog.edtFileName),
                            static_cast<QWidget *>(dialog.lblFileType), static_cast<QWidget *>(dialog.cboFileType)})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_EQ(dialog.height(), 204);
    EXPECT_EQ(dialog.btnOK->pos(), QPoint(256, 172));
    EXPECT_EQ(dialog.btnCancel->pos(), QPoint(336, 172));
    EXPECT_EQ(QApplication::focusWidget(), dialog.btnOK);
    dialog.btnCancel->setFocus();
    dialog.lvwFiles->setFocus();
    EXPECT_FALSE(dialog.btnOK->isDefault());
    EXPECT_EQ(dialog.lvwFiles->model()->rowCount(), 2); // Books, dict
    // Enter in the view opens the folder; OK then takes it.
    dialog.lvwFiles->SetSelectedNames({QStringLiteral("dict")});
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Folder(), Tree(QStringLiteral("dict/")));
    dialog.btnOK->click();
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_TRUE(dialog.FileName.isEmpty());
    EXPECT_EQ(dialog.Folder(), Tree(QStringLiteral("dict/")));
}

TEST_F(FileDialogTest, CancelAndEscapeAnswerTwo)
{
    TfrmFileDialog &dialog = Open();
    QTest::keyClick(dialog.edtFileName, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 2);
}

TEST_F(FileDialogTest, TabbingThroughTheDialogSaysEachControlWithItsLabel)
{
    test::THeardLog heard;
    TfrmFileDialog &dialog = Open();
    ASSERT_TRUE(test::THeardLog::Settle());
    for (int tab = 0; tab < 5; ++tab) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(test::THeardLog::Settle());
    }
    EXPECT_EQ(QApplication::focusWidget(), dialog.lvwFiles);
    EXPECT_EQ(heard.Whole(), (QStringList{QStringLiteral("Mở tập tin"), QStringLiteral("Tên tập tin N"),
                                          QStringLiteral("Kiểu tập tin T Từ điển (*.dict)"), QStringLiteral("Mở"),
                                          QStringLiteral("Hủy bỏ"), QStringLiteral("Tìm trong I tree"),
                                          QStringLiteral("Books thư mục")}));
    EXPECT_TRUE(heard.Cuts().isEmpty());
    EXPECT_FALSE(heard.Overlapped());

    // Moving in the view says each item; entering a folder says where.
    heard.Clear();
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Down);
    ASSERT_TRUE(test::THeardLog::Settle());
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Return);
    ASSERT_TRUE(test::THeardLog::Settle());
    // A person is slower than this test: the same item said twice within a
    // tenth of a second is taken for one report.
    QTest::qWait(150);
    QTest::keyClick(dialog.lvwFiles, Qt::Key_Backspace);
    ASSERT_TRUE(test::THeardLog::Settle());
    EXPECT_EQ(heard.Whole(), (QStringList{QStringLiteral("dict thư mục"), QStringLiteral("dict"),
                                          QStringLiteral("tree"), QStringLiteral("dict thư mục")}));
}

TEST_F(FileDialogTest, TheViewsKeysMakeAFolderAndSwitchItsStyle)
{
    TfrmFileDialog &dialog = Open();
    dialog.lvwFiles->setFocus();
    QTest::keyClick(dialog.lvwFiles, Qt::Key_V, Qt::AltModifier);
    EXPECT_TRUE(dialog.btnViewStyle->isChecked());
    EXPECT_TRUE(dialog.lvwFiles->Details());
    QTest::keyClick(dialog.lvwFiles, Qt::Key_V, Qt::AltModifier);
    EXPECT_FALSE(dialog.lvwFiles->Details());
    QTest::keyClick(dialog.lvwFiles, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo(Tree(QStringLiteral("New Folder"))).isDir());
    EXPECT_TRUE(dialog.lvwFiles->IsEditing());
}

TEST_F(FileDialogTest, ALanguageFileTranslatesEveryText)
{
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("LANG")));
    WriteFile(QStringLiteral("LANG/Lexivoce.eng"),
              QStringLiteral("[CONTROLS]\nfrmFileDialog=Open file\nlblLookin=Look &in\nlblFileName=File &name\n"
                             "lblFileType=Files of &type\nbtnCancel=Cancel\nbtnOpenDlgOK=Open\nshlTop=Computer\n"
                             "shlFolder=folder\n[MESSAGES]\nMSGFILEDLG001=There are no files in this folder.\n")
                  .toUtf8());
    lang::TLocalize localizer(PathOf(QStringLiteral("LANG/Lexivoce.eng")));
    m_dialog = std::make_unique<TfrmFileDialog>();
    TfrmFileDialog &dialog = *m_dialog;
    dialog.SpeakingComponent = &m_sp;
    dialog.Localizer = &localizer;
    dialog.SetInitialFolder(PathOf(QStringLiteral("tree")));
    localizer.TranslateComponent(&dialog);
    dialog.SetFilterList(kDictionaries);
    dialog.SetFilterIndex(0);
    dialog.SetDialogMode(fdmOpen);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Open file"));
    EXPECT_EQ(dialog.lblLookin->text(), QStringLiteral("Look &in"));
    EXPECT_EQ(dialog.lblFileName->text(), QStringLiteral("File &name"));
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("Open"));
    EXPECT_EQ(dialog.btnCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(dialog.cboDrives->itemText(0), QStringLiteral("Computer"));
    EXPECT_EQ(dialog.lvwFiles->model()->index(0, 0).data(Qt::AccessibleDescriptionRole).toString(),
              QStringLiteral("folder"));
    // The folder combo carries the name of a folder, never a translation.
    EXPECT_EQ(dialog.cboDrives->currentText(), QStringLiteral("tree"));
    TMessageAnswers answers({[](TMessageForm *form) { click(form, "btnDlgOK"); }});
    m_sp.HookControlTree(&dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.btnOK->click();
    EXPECT_EQ(answers.Messages, QStringList{QStringLiteral("There are no files in this folder.")});
}

TEST(InitialFolder, TheProgramsFolderWhenWritableElseHome)
{
    const QFileInfo program(QCoreApplication::applicationDirPath());
    EXPECT_EQ(DefaultInitialFolder(), program.isWritable() ? program.filePath() : QDir::homePath());
}

} // namespace
} // namespace lexivoce::dialogs
