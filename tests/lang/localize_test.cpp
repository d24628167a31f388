#include "lang/error.h"
#include "lang/localize.h"
#include "tests/support/errors.h"
#include "tests/support/temp_dir.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include <functional>
#include <memory>
#include <optional>

namespace lexivoce::lang {
namespace {

using LocalizeTest = test::TempDirTest;

const QString kControls = QStringLiteral("CONTROLS");
const QString kMessages = QStringLiteral("MESSAGES");
const QString kEnglishFile = QStringLiteral("LANG/Lexivoce.eng");
const QString kVietnameseFile = QStringLiteral("LANG/Lexivoce.vie");

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

// A language file written as UTF-8 text: the reader takes it, and a file
// the localizer has written to comes back as UTF-16.
void writeLanguageFile(const QString &name, const char *text)
{
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// The value stored in a file, or nullopt when the key is absent.
std::optional<QString> stored(const QString &file, const QString &section, const QString &key)
{
    const TIniFile ini(file);
    if (!ini.ValueExists(section, key))
        return std::nullopt;
    return ini.ReadString(section, key, QString());
}

QStringList controlKeys(const QString &file)
{
    return TIniFile(file).ReadSection(kControls);
}

using test::ErrorOf;

void makeForm(QWidget &form, const char *name, const char *title)
{
    form.setObjectName(QString::fromLatin1(name));
    form.setWindowTitle(u8(title));
}

template <typename T>
T *named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

TEST_F(LocalizeTest, MissingOrEmptyKeyGivesTheDefaultAndWritesItBack)
{
    const QString fallback = u8("Từ điển %s đã sẵn sàng");
    const struct {
        const char *name;
        const char *file; // nullptr: no file at all
        QString expected;
    } cases[] = {
        {"no file", nullptr, fallback},
        {"other key only", "[MESSAGES]\nMSG12=Loading\n", fallback},
        {"empty value", "[MESSAGES]\nMSG11=\nMSG12=Loading\n", fallback},
        {"blank value", "[MESSAGES]\nMSG11=   \n", fallback},
        {"present value", "[MESSAGES]\nMSG11=%s is ready\n", QStringLiteral("%s is ready")},
        {"other letter case", "[messages]\nmsg11=%s is ready\n", QStringLiteral("%s is ready")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(kEnglishFile);
        if (c.file)
            writeLanguageFile(kEnglishFile, c.file);
        const QByteArray before = ReadFile(kEnglishFile);

        TLocalize localize;
        EXPECT_EQ(localize.ReadString(kMessages, QStringLiteral("MSG11"), fallback), c.expected);

        if (c.expected != fallback) {
            // Nothing to write back: the file is not even converted.
            EXPECT_EQ(ReadFile(kEnglishFile), before);
            continue;
        }
        EXPECT_TRUE(ReadFile(kEnglishFile).startsWith("\xFF\xFE"));
        EXPECT_EQ(stored(kEnglishFile, kMessages, QStringLiteral("MSG11")), fallback);
        // Written over the empty value, not added beside it.
        EXPECT_EQ(TIniFile(kEnglishFile).ReadSection(kMessages).count(QStringLiteral("MSG11")), 1);
        if (c.file && QByteArray(c.file).contains("MSG12")) {
            EXPECT_EQ(stored(kEnglishFile, kMessages, QStringLiteral("MSG12")), QStringLiteral("Loading"));
        }
    }
}

TEST_F(LocalizeTest, DefaultObjectUsesTheEnglishFileInLang)
{
    TLocalize localize;
    EXPECT_TRUE(QFileInfo(QStringLiteral("LANG")).isDir()) << "created before any write";
    EXPECT_EQ(localize.LanguageCode, QStringLiteral("eng"));
    EXPECT_EQ(localize.LanguageFile, kEnglishFile);
    EXPECT_TRUE(localize.WriteBackDefaults);

    localize.ReadString(kControls, QStringLiteral("lblLookup"), QStringLiteral("&Look up"));
    EXPECT_EQ(stored(kEnglishFile, kControls, QStringLiteral("lblLookup")), QStringLiteral("&Look up"));
}

TEST_F(LocalizeTest, NamedObjectTakesCodeFromTheExtension)
{
    const QString programFolder = QCoreApplication::applicationDirPath() + u'/';
    const struct {
        QString name;
        QString file;
        QString code;
        QString folder;
    } cases[] = {
        {QStringLiteral("LANG/Lexivoce"), kEnglishFile, QStringLiteral("eng"), QStringLiteral("LANG/")},
        {QStringLiteral("LANG/Lexivoce."), kEnglishFile, QStringLiteral("eng"), QStringLiteral("LANG/")},
        {QStringLiteral("other/sub/Lexivoce.vie"), QStringLiteral("other/sub/Lexivoce.vie"), QStringLiteral("vie"),
         QStringLiteral("other/sub/")},
        // Without a folder the file lies beside the program.
        {QStringLiteral("Lexivoce.fra"), programFolder + QStringLiteral("Lexivoce.fra"), QStringLiteral("fra"),
         programFolder},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const TLocalize localize(c.name);
        EXPECT_EQ(localize.LanguageFile, c.file);
        EXPECT_EQ(localize.FileName(), c.file);
        EXPECT_EQ(localize.LanguageCode, c.code);
        EXPECT_EQ(localize.LanguageFolder, c.folder);
        EXPECT_TRUE(QFileInfo(c.folder).isDir());
    }
}

TEST_F(LocalizeTest, SetLanguageSwitchesToTheFileOfTheCode)
{
    writeLanguageFile(kEnglishFile, "[MESSAGES]\nMSG13=Not found\n");
    writeLanguageFile(kVietnameseFile, "[MESSAGES]\nMSG13=Không tìm thấy\n");
    const QString key = QStringLiteral("MSG13");
    TLocalize localize;
    EXPECT_EQ(localize.ReadString(kMessages, key, QString()), QStringLiteral("Not found"));

    localize.SetLanguage(QStringLiteral("vie"));
    EXPECT_EQ(localize.LanguageCode, QStringLiteral("vie"));
    EXPECT_EQ(localize.LanguageFile, kVietnameseFile);
    EXPECT_EQ(localize.ReadString(kMessages, key, QString()), u8("Không tìm thấy"));

    // The same code and no code leave the object where it is.
    for (const QString &code : {QStringLiteral("vie"), QString()}) {
        localize.SetLanguage(code);
        EXPECT_EQ(localize.LanguageFile, kVietnameseFile);
        EXPECT_EQ(localize.ReadString(kMessages, key, QString()), u8("Không tìm thấy"));
    }

    // Codes compare exactly; a missing folder is made again.
    ASSERT_TRUE(QDir(QStringLiteral("LANG")).removeRecursively());
    localize.SetLanguage(QStringLiteral("VIE"));
    EXPECT_EQ(localize.LanguageFile, QStringLiteral("LANG/Lexivoce.VIE"));
    EXPECT_TRUE(QFileInfo(QStringLiteral("LANG")).isDir());
    EXPECT_EQ(localize.ReadString(kMessages, key, QStringLiteral("fallback")), QStringLiteral("fallback"));
    EXPECT_EQ(stored(QStringLiteral("LANG/Lexivoce.VIE"), kMessages, key), QStringLiteral("fallback"));
}

TEST_F(LocalizeTest, SwitchingToAFileWithoutAKeyWritesThePreviousCaptionIntoIt)
{
    writeLanguageFile(kEnglishFile, "[CONTROLS]\nfrmTest=Test window\nlblWord=&Word\n");
    writeLanguageFile(kVietnameseFile, "[CONTROLS]\nfrmTest=Cửa sổ thử\n");
    QWidget form;
    makeForm(form, "frmTest", "Built-in title");
    auto *label = named(new QLabel(QStringLiteral("Built-in &label"), &form), "lblWord");

    TLocalize localize;
    localize.TranslateComponent(&form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Test window"));
    EXPECT_EQ(label->text(), QStringLiteral("&Word"));

    localize.SetLanguage(QStringLiteral("vie"));
    localize.TranslateComponent(&form);
    EXPECT_EQ(form.windowTitle(), u8("Cửa sổ thử"));
    EXPECT_EQ(label->text(), QStringLiteral("&Word"));
    EXPECT_EQ(stored(kVietnameseFile, kControls, QStringLiteral("lblWord")), QStringLiteral("&Word"));
}

TEST_F(LocalizeTest, NegativeTagSkipsTheComponentAndEverythingItOwns)
{
    QWidget form;
    makeForm(form, "frmTest", "Title");
    auto *group = named(new QGroupBox(QStringLiteral("Group"), &form), "grpSkipped");
    group->setProperty("tag", -1);
    auto *inner = named(new QLabel(QStringLiteral("Inner"), group), "lblInner");
    auto *history = named(new QListWidget(&form), "lstHistory");
    history->setProperty("tag", -2);
    history->addItem(QStringLiteral("word"));
    auto *outer = named(new QLabel(QStringLiteral("Outer"), &form), "lblOuter");
    auto *zero = named(new QLabel(QStringLiteral("Zero"), &form), "lblZero");
    zero->setProperty("tag", 0);

    writeLanguageFile(kEnglishFile, "[CONTROLS]\ngrpSkipped=X\nlblInner=X\nlstHistoryItem0=X\nlblOuter=Y\n");
    TLocalize localize;
    localize.TranslateComponent(&form);

    EXPECT_EQ(group->title(), QStringLiteral("Group"));
    EXPECT_EQ(inner->text(), QStringLiteral("Inner"));
    EXPECT_EQ(history->item(0)->text(), QStringLiteral("word"));
    EXPECT_EQ(outer->text(), QStringLiteral("Y"));
    EXPECT_EQ(zero->text(), QStringLiteral("Zero"));
    EXPECT_EQ(controlKeys(kEnglishFile),
              QStringList({QStringLiteral("grpSkipped"), QStringLiteral("lblInner"), QStringLiteral("lstHistoryItem0"),
                           QStringLiteral("lblOuter"), QStringLiteral("frmTest"), QStringLiteral("lblZero")}));
}

TEST_F(LocalizeTest, UnnamedComponentIsNamedAfterItsOwnerAndIndex)
{
    QWidget form;
    makeForm(form, "frmTest", "Title");
    named(new QLabel(QStringLiteral("First"), &form), "lblFirst");
    auto *button = new QPushButton(QStringLiteral("Go"), &form);
    auto *group = named(new QGroupBox(QStringLiteral("Group"), &form), "grpInner");
    auto *check = new QPushButton(QStringLiteral("Check"), group);

    writeLanguageFile(kEnglishFile, "[CONTROLS]\nfrmTestItem1=Đi\n");
    TLocalize localize;
    localize.TranslateComponent(&form);

    EXPECT_EQ(button->objectName(), QStringLiteral("frmTestItem1"));
    EXPECT_EQ(button->text(), u8("Đi"));
    EXPECT_EQ(check->objectName(), QStringLiteral("grpInnerItem0"));
    EXPECT_EQ(stored(kEnglishFile, kControls, QStringLiteral("grpInnerItem0")), QStringLiteral("Check"));

    // The name stays: a later language looks the button up under it again.
    writeLanguageFile(kVietnameseFile, "[CONTROLS]\nfrmTestItem1=Tới\n");
    localize.SetLanguage(QStringLiteral("vie"));
    localize.TranslateComponent(&form);
    EXPECT_EQ(button->text(), u8("Tới"));
}

TEST_F(LocalizeTest, BlankCaptionsAndDashesAreNeverLookedUp)
{
    QWidget form;
    makeForm(form, "frmTest", "Title");
    named(new QLabel(QString(), &form), "lblEmpty");
    named(new QLabel(QStringLiteral("  \t "), &form), "lblBlank");
    named(new QPushButton(QStringLiteral("-"), &form), "btnDash");
    auto *unnamed = new QLabel(QString(), &form);
    auto *menu = named(new QMenu(QStringLiteral("File"), &form), "mnuFile");
    menu->addSeparator();
    named(menu->addAction(QStringLiteral("-")), "mnuDash");
    named(menu->addAction(QStringLiteral("Open")), "mnuOpen");

    TLocalize localize;
    localize.TranslateComponent(&form);

    EXPECT_EQ(controlKeys(kEnglishFile),
              QStringList({QStringLiteral("frmTest"), QStringLiteral("mnuFile"), QStringLiteral("mnuOpen")}));
    EXPECT_TRUE(unnamed->objectName().isEmpty());
}

TEST_F(LocalizeTest, ListItemsUseItemKeysAndKeepTheSelection)
{
    QWidget form;
    makeForm(form, "frmTest", "Title");
    auto *combo = named(new QComboBox(&form), "cboKind");
    combo->addItems({QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three")});
    combo->setCurrentIndex(2);
    auto *list = named(new QListWidget(&form), "lstKind");
    list->addItems({QStringLiteral("Red"), QStringLiteral("Green")});
    list->setCurrentRow(1);
    auto *empty = named(new QComboBox(&form), "cboEmpty");

    writeLanguageFile(kEnglishFile, "[CONTROLS]\ncboKindItem0=Một\ncboKindItem2=\nlstKindItem1=Xanh\n");
    TLocalize localize;
    localize.TranslateComponent(&form);

    EXPECT_EQ(combo->itemText(0), u8("Một"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Two"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("Three"));
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Red"));
    EXPECT_EQ(list->item(1)->text(), u8("Xanh"));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(empty->count(), 0);

    const QStringList keys = controlKeys(kEnglishFile);
    for (const char *key : {"cboKindItem1", "cboKindItem2", "lstKindItem0"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(key))) << key;
    // A list itself has no caption, and an empty one asks for nothing.
    for (const char *key : {"cboKind", "lstKind", "cboEmpty", "cboEmptyItem0"})
        EXPECT_FALSE(keys.contains(QString::fromLatin1(key))) << key;
}

TEST_F(LocalizeTest, TabPageCaptionIsItsTabText)
{
    QWidget form;
    makeForm(form, "frmTest", "Title");
    auto *pages = named(new QTabWidget(&form), "pgeConfig");
    pages->addTab(named(new QWidget, "tabParams"), QStringLiteral("Params"));
    pages->addTab(named(new QWidget, "tabCreateIndex"), QStringLiteral("Create index"));
    pages->setCurrentIndex(1);

    writeLanguageFile(kEnglishFile, "[CONTROLS]\ntabParams=Thông số\n");
    TLocalize localize;
    localize.TranslateComponent(&form);

    EXPECT_EQ(pages->tabText(0), u8("Thông số"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Create index"));
    EXPECT_EQ(pages->currentIndex(), 1);
    EXPECT_EQ(stored(kEnglishFile, kControls, QStringLiteral("tabCreateIndex")), QStringLiteral("Create index"));
}

TEST_F(LocalizeTest, MainWindowMenusAndStatusBarAskForTheirOwnKeysOnly)
{
    QMainWindow window;
    makeForm(window, "frmMainDict", "Talking Dictionary");
    QMenu *history = named(window.menuBar()->addMenu(QStringLiteral("History")), "mnuHistory");
    QAction *back = named(history->addAction(QStringLiteral("Back")), "mnuBack");
    history->addSeparator();
    QMenu *settings = named(window.menuBar()->addMenu(QStringLiteral("Settings")), "mnuConfig");
    QAction *english = named(settings->addAction(QStringLiteral("English")), "mnuEnglish");
    english->setProperty("tag", -1);
    named(window.statusBar(), "statusBar")->showMessage(QStringLiteral("Loading..."));

    writeLanguageFile(kEnglishFile, "[CONTROLS]\nmnuHistory=Lịch sử\nstatusBar=Đang tải...\n");
    TLocalize localize;
    localize.TranslateComponent(&window);

    EXPECT_EQ(history->title(), u8("Lịch sử"));
    EXPECT_EQ(history->menuAction()->text(), u8("Lịch sử"));
    EXPECT_EQ(back->text(), QStringLiteral("Back"));
    EXPECT_EQ(english->text(), QStringLiteral("English"));
    EXPECT_EQ(window.statusBar()->currentMessage(), u8("Đang tải..."));
    // In particular no "...Item%d" key for a menu's own action.
    QStringList keys = controlKeys(kEnglishFile);
    keys.sort();
    EXPECT_EQ(keys, QStringList({QStringLiteral("frmMainDict"), QStringLiteral("mnuBack"), QStringLiteral("mnuConfig"),
                                 QStringLiteral("mnuHistory"), QStringLiteral("statusBar")}));
}

TEST_F(LocalizeTest, AFailedWriteBackIsReportedOnceAndNeverCostsAText)
{
    WriteFile(QStringLiteral("plain"), "not a folder");
    const struct {
        const char *name;
        std::function<TLocalize *()> make;
        QString file;
    } cases[] = {
        {"LANG is a regular file",
         [this] {
             WriteFile(QStringLiteral("LANG"), "not a folder");
             return new TLocalize;
         },
         kEnglishFile},
        {"folder under a regular file", [] { return new TLocalize(QStringLiteral("plain/sub/Lexivoce.vie")); },
         QStringLiteral("plain/sub/Lexivoce.vie")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TLocalize> localize(c.make());
        QStringList reports;
        localize->OnWriteBackFailed = [&](const QString &message) { reports << message; };

        EXPECT_EQ(localize->ReadString(kMessages, QStringLiteral("MSG01"), QStringLiteral("x")), QStringLiteral("x"));
        QWidget form;
        makeForm(form, "frmTest", "Title");
        localize->TranslateComponent(&form);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Title"));
        EXPECT_EQ(reports, QStringList{QStringLiteral("Unable to write to ") + c.file});
    }
}

TEST_F(LocalizeTest, NothingOutsideTheLanguageFolderIsEverNamedOrWritten)
{
    writeLanguageFile(kEnglishFile, "[Language]\npitch=\n");
    TLocalize localize;
    for (const QString &code : {QStringLiteral("../../evil"), QStringLiteral("a/b"), QStringLiteral("x y"),
                                QStringLiteral("vi\u1EC7"), QStringLiteral(".."), QString()}) {
        SCOPED_TRACE(code.toStdString());
        EXPECT_FALSE(IsLanguageCode(code));
        EXPECT_FALSE(localize.SetLanguage(code));
        EXPECT_EQ(localize.LanguageFile, kEnglishFile);
    }
    EXPECT_TRUE(IsLanguageCode(QStringLiteral("vie")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("evil")));

    // Numbers are only read: no default is written for them.
    EXPECT_EQ(localize.ReadInteger(QStringLiteral("Language"), QStringLiteral("pitch"), 7), 0);
    EXPECT_EQ(localize.ReadInteger(QStringLiteral("Language"), QStringLiteral("speed"), 7), 7);
    EXPECT_FALSE(localize.ValueExists(QStringLiteral("Language"), QStringLiteral("speed")));

    // A caption with neither name nor owner has no key of its own.
    QLabel orphan(QStringLiteral("Orphan"));
    localize.TranslateComponent(&orphan);
    EXPECT_EQ(orphan.text(), QStringLiteral("Orphan"));
    EXPECT_FALSE(localize.ValueExists(kControls, QString()));
    EXPECT_TRUE(controlKeys(kEnglishFile).isEmpty());
}

} // namespace
} // namespace lexivoce::lang
