// The dictionary manager opened from the window, used by keyboard and ear.
#include "tests/app/main_dict_fixture.h"

#include "dialogs/select_dlg.h"
#include "lang/localize.h"
#include "tests/support/message_answers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

namespace lexivoce::app::test_support {
namespace {

class ManagerTest : public MainDictTest
{
protected:
    // Runs act on the manager once Ctrl+D has opened it; act closes it.
    void WithManager(const std::function<void(dialogs::TfrmSelectDlg &)> &act)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<dialogs::TfrmSelectDlg *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << "Ctrl+D opened no manager";
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
            test::THeardLog::Settle();
            ran = true;
            act(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the manager is still open";
                dialog->reject();
            }
        });
        Key(window->edtLookup, Qt::Key_D, Qt::ControlModifier);
        EXPECT_TRUE(ran);
        // The window manager gives the window back the keyboard.
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        test::THeardLog::Settle();
    }

    // A key at the focused control, as a user presses it.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        test::THeardLog::Settle();
    }

    // Tab until target has the focus.
    static bool TabTo(QWidget *target)
    {
        for (int step = 0; step < 30 && QApplication::focusWidget() != target; ++step)
            Press(Qt::Key_Tab);
        return QApplication::focusWidget() == target;
    }
};

TEST_F(ManagerTest, ADictionaryIsAddedIndexedAndOfferedByKeyboardAndEarAlone)
{
    WriteFile(QStringLiteral("dict/third.dict"),
              "@00-database-info\r\n-x\r\n@00-database-short\r\n-x\r\n@00-database-url\r\n-x\r\n"
              "@zither\r\n-đàn tranh\r\n@kite\r\n-cái diều\r\n");
    Start();
    Forget();
    WithManager([&](dialogs::TfrmSelectDlg &manager) {
        ASSERT_TRUE(TabTo(manager.btnAdd));
        Press(Qt::Key_Space);
        ASSERT_EQ(QApplication::focusWidget(), manager.edtFileName);
        QTest::keyClicks(manager.edtFileName, QStringLiteral("dict/third.dict"));
        ASSERT_TRUE(TabTo(manager.edtDictName));
        Press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(manager.edtDictName, QStringLiteral("Third"));
        ASSERT_TRUE(TabTo(manager.cboVoices1));
        Press(Qt::Key_Home);
        ASSERT_TRUE(TabTo(manager.cboVoices2));
        Press(Qt::Key_End);
        ASSERT_TRUE(TabTo(manager.btnSave));
        Press(Qt::Key_Space);
        // The index, sorted first: its page is one Right on the page tabs.
        ASSERT_TRUE(TabTo(manager.pgeConfig->tabBar()));
        Press(Qt::Key_Right);
        ASSERT_EQ(manager.pgeConfig->currentWidget(), manager.tabCreateIndex);
        ASSERT_TRUE(TabTo(manager.edtDictFile));
        QTest::keyClicks(manager.edtDictFile, QStringLiteral("dict/third.dict"));
        ASSERT_TRUE(TabTo(manager.chkSort));
        Press(Qt::Key_Space);
        ASSERT_TRUE(TabTo(manager.btnMake));
        Press(Qt::Key_Space);
        ASSERT_TRUE(TabTo(manager.btnOK));
        Press(Qt::Key_Return);
    });
    const QStringList said = InterfaceSaid();
    for (const char *text : {"Setup dictionary", "Add", "The new item has been added", "Sorting dict file",
                             "Creating index file", "Index file has been created"}) {
        EXPECT_TRUE(said.filter(QString::fromUtf8(text)).size() > 0) << text << "\n"
                                                                     << said.join(u'\n').toStdString();
    }
    // Offered in the Dictionary menu, and its words are read in its voices.
    QStringList offered;
    for (const QAction *item : window->mnuDictionary->actions())
        offered << item->text();
    ASSERT_TRUE(offered.contains(QStringLiteral("Third"))) << offered.join(u',').toStdString();
    Key(window->edtLookup, Qt::Key(Qt::Key_1 + offered.indexOf(QStringLiteral("Third"))), Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->IsLoadingIndex() && window->WordList->Count() == 2; }, 5000));
    Forget();
    Type(QStringLiteral("kite"));

    Key(window->edtLookup, Qt::Key_Return);
    EXPECT_TRUE(EntrySaid().join(u' ').contains(QStringLiteral("cái diều"))) << EntrySaid().join(u'\n').toStdString();
}

TEST_F(ManagerTest, AnUncheckedDictionaryLeavesTheMenuAfterOKAndTheInterfaceVoiceIsKept)
{
    Start();
    WithManager([&](dialogs::TfrmSelectDlg &manager) {
        QTreeWidgetItem *second = manager.lstDicts->topLevelItem(1);
        ASSERT_EQ(second->text(0), QStringLiteral("Sample"));
        manager.lstDicts->setCurrentItem(second);
        second->setCheckState(0, Qt::Unchecked);
        manager.btnSave->click();
        manager.tkbMainSpeed->setValue(14);
        manager.btnOK->click();
    });
    QStringList offered;
    for (const QAction *item : window->mnuDictionary->actions())
        offered << item->text();
    EXPECT_FALSE(offered.contains(QStringLiteral("Sample")));
    EXPECT_EQ(window->spkInterface->Speed(), 4);
    const lang::TIniFile language(lang::LanguageFileName(QStringLiteral("eng")));
    EXPECT_EQ(language.ReadInteger(QStringLiteral("Language"), QStringLiteral("speed"), -1), 14);

    // Cancel only closes: nothing is read again.
    WithManager([](dialogs::TfrmSelectDlg &manager) { manager.btnCancel->click(); });
    EXPECT_EQ(window->spkInterface->Speed(), 4);
}

TEST_F(ManagerTest, SortingTheOpenDictionaryIsRefusedSaidAndChangesNothing)
{
    Start();
    const QByteArray before = ReadFile(QStringLiteral("dict/sample.dict"));
    QString box;
    bool said = false;
    WithManager([&](dialogs::TfrmSelectDlg &manager) {
        manager.pgeConfig->setCurrentWidget(manager.tabCreateIndex);
        manager.edtDictFile->setText(QStringLiteral("dict/sample.dict"));
        manager.chkSort->setChecked(true);
        // The error box is answered once it has been said, as a user would.
        test::TMessageAnswers answers({[&](dialogs::TMessageForm *form) {
            said = QTest::qWaitFor(
                [&] { return InterfaceSaid().join(u' ').contains(QStringLiteral("is in use by another program")); },
                5000);
            test::Click(form, "btnDlgOK");
        }});
        manager.btnMake->click();
        box = answers.Messages.value(0);
        EXPECT_TRUE(manager.btnMake->isEnabled());
        manager.btnCancel->click();
    });
    EXPECT_TRUE(box.contains(QStringLiteral("in use"))) << box.toStdString();
    EXPECT_TRUE(said) << InterfaceSaid().join(u'\n').toStdString();
    EXPECT_EQ(ReadFile(QStringLiteral("dict/sample.dict")), before);
    EXPECT_FALSE(InterfaceSaid().contains(QStringLiteral("Index file has been created")));
}

} // namespace
} // namespace lexivoce::app::test_support
