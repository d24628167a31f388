// The main window: its controls and menu, and the order of what happens when
// it is created, first shown, closed and destroyed; the configuration file
// and the interface language.
#include "app/main_dict.h"

#include "app/command_keys.h"
#include "app/interface_voice.h"
#include "app/key_state.h"
#include "app/user_styles.h"
#include "app/word_list_view.h"
#include "dialogs/about.h"
#include "dialogs/error_display.h"
#include "dialogs/help_view.h"
#include "dialogs/hot_key.h"
#include "dialogs/settings.h"
#include "dialogs/tray_icon.h"
#include "dict/index_loader.h"
#include "dict/word_list.h"
#include "lang/control_texts.h"
#include "lang/error.h"
#include "lang/ini_file.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/entry_reader.h"
#include "speech/local_strings_file.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "view/styled_view.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace lexivoce::app {

using lang::LanguageSectionKeys;

namespace {

const QString kConfigFile = QStringLiteral("Lexivoce.config");
const QString kInterface = QStringLiteral("Interface");
const QString kActiveDict = QStringLiteral("ActiveDict");
const QString kLanguageKey = QStringLiteral("Language");
const QString kEnglish = QString::fromLatin1(LanguageSectionKeys::EnglishCode);
// The help page, in the profile folder (the current directory).
constexpr char kHelpPage[] = "readme.htm";
// Ctrl+F12: one combination that brings the dictionary back from anywhere.
constexpr quint16 kTrayShortcut = 16507;

QString caption(const char *name)
{
    return lang::DefaultCaption(lang::MainWindowTexts(), QString::fromLatin1(name));
}

QAction *newAction(QMenu *menu, const char *name, const QKeySequence &shortcut = QKeySequence())
{
    auto *action = new QAction(caption(name), menu);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    return action;
}

QMenu *newMenu(QMenuBar *bar, const char *name)
{
    auto *menu = new QMenu(caption(name), bar);
    menu->setObjectName(QString::fromLatin1(name));
    bar->addMenu(menu);
    return menu;
}

void addSeparator(QMenu *menu, const char *name)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
}

void setTag(QObject *object, int tag)
{
    object->setProperty("tag", tag);
}

} // namespace

QString FormatMessage(const QString &text, const QString &argument)
{
    return lang::FillMessage(text, {argument});
}

TfrmMainDict::TfrmMainDict(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMainDict"));
    setWindowTitle(caption("frmMainDict"));
    CreateControls();
    CreateMenu();

    speaker = new speech::TSpeaker5(this);
    speaker->setObjectName(QStringLiteral("speaker"));
    sp = new speech::TSpeakingComponent(this);
    sp->setObjectName(QStringLiteral("sp"));
    sp->SetSpeaker(speaker);
    spkInterface = new speech::TSpeaker5(this);
    spkInterface->setObjectName(QStringLiteral("spkInterface"));
    spInterface = new speech::TSpeakingComponent(this);
    spInterface->setObjectName(QStringLiteral("spInterface"));
    spInterface->SetSpeaker(spkInterface);
    // Errors from here on are spoken, even those of reading the
    // configuration (a voice that is not installed).
    dialogs::SetErrorDisplayContext(spInterface, nullptr);
    m_reader = std::make_unique<speech::TEntryReader>(
        rvMeaning, sp, [this](int which) { return GetDictVoiceName(which); },
        speech::TEntryReader::TInterface{[this] { return Message(lang::MSG05); }, [this] { return InterfaceVoiceName; },
                                         [this] { return spInterface->Words; }});
    connect(rvMeaning, &view::TStyledView::Jump, this, [this](int itemNo) { FollowItem(itemNo); });
    // Dictionary words outside the entry: English words are never read with
    // Vietnamese rules, whatever the interface language.
    const auto wordVoice = [this] { return DictionaryWordVoice(); };
    spInterface->SetContentVoice(edtLookup, wordVoice);
    spInterface->SetContentVoice(lstHistory, wordVoice);
    sp->SetContentVoice(lstLookup, wordVoice);
    sp->SetSelfVoiced(rvMeaning);
    m_commandKeys = std::make_unique<TCommandKeys>(this);
    m_commandKeys->OnDisabled = [this](QAction *command) { OnDisabledCommand(command); };
    trayIcon = new dialogs::TTrayIcon(this);
    trayIcon->setObjectName(QStringLiteral("trayIcon"));
    trayIcon->SetMinimizeToTray(true);
    trayIcon->SetShortcut(kTrayShortcut);
    connect(trayIcon, &dialogs::TTrayIcon::OnClick, this, [this] { trayIconClick(); });
    connect(trayIcon, &dialogs::TTrayIcon::OnShortcut, this, [this] { trayIconShortcut(); });
    IsLookupKeyHeld = [] { return IsLeftSuperHeld(); };
    IsInBackground = [] { return QApplication::activeWindow() == nullptr; };

    // Creation, in order.
    Dictionary.DictList.clear();
    ReadConfig(kConfigFile);
    LoadLocalStrings(InterfaceLanguage);
    BuildLanguageMenu();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] { LookupClipboard(); });
    spInterface->HookControlTree(this);
    spInterface->UnhookControl(lstLookup);
    spInterface->UnhookControl(rvMeaning);
    sp->HookControl(lstLookup);
    sp->HookControl(rvMeaning);
    m_localizer = std::make_unique<lang::TLocalize>();
    // A language file that cannot learn a missing text is said once; the
    // text is used all the same.
    m_localizer->OnWriteBackFailed = [](const QString &message) { dialogs::ShowError(message); };
    dialogs::SetErrorDisplayContext(spInterface, m_localizer.get());
    try {
        // The notification icon's tip, from the English file: it names the
        // program, whatever the language.
        trayIcon->SetHint(Message(lang::MSG01));
        m_localizer->SetLanguage(InterfaceLanguage);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            OnApplicationActive();
    });
    // A window manager that never activates the window must not swallow the
    // look-up.
    m_pendingLookupTimer = new QTimer(this);
    m_pendingLookupTimer->setSingleShot(true);
    m_pendingLookupTimer->setInterval(1500);
    connect(m_pendingLookupTimer, &QTimer::timeout, this, [this] { LookUpClipboardText(m_pendingLookup); });
    // Key preview and the controls' own events, all through one filter.
    qApp->installEventFilter(this);
}

TfrmMainDict::~TfrmMainDict()
{
    qApp->removeEventFilter(this);
    // Errors from here on have no window to speak through.
    dialogs::ResetErrorDisplayContext();
    Dictionary.DictList.clear();
    Dictionary.DictFile.Close();
}

void TfrmMainDict::CreateControls()
{
    resize(715, 423);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);

    tabDict = new QFrame;
    tabDict->setObjectName(QStringLiteral("tabDict"));
    tabDict->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(tabDict);

    pnlLookup = new QWidget;
    pnlLookup->setObjectName(QStringLiteral("pnlLookup"));
    lblLookup = new QLabel(caption("lblLookup"));
    lblLookup->setObjectName(QStringLiteral("lblLookup"));
    edtLookup = new QLineEdit;
    edtLookup->setObjectName(QStringLiteral("edtLookup"));
    setTag(edtLookup, -1);
    lblLookup->setBuddy(edtLookup);
    WordList = new dict::TWordList(this);
    IndexLoader = new dict::TIndexLoader(this);
    lstLookup = new QListView;
    lstLookup->setObjectName(QStringLiteral("lstLookup"));
    setTag(lstLookup, -1);
    lstLookup->setModel(WordList);
    ConfigureWordListView(lstLookup);
    lstLookup->setFocusPolicy(Qt::ClickFocus);
    lstLookup->setSelectionMode(QAbstractItemView::SingleSelection);
    lstLookup->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstHistory = new QListWidget;
    lstHistory->setObjectName(QStringLiteral("lstHistory"));
    setTag(lstHistory, -2);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPixelSize(13);
    lstHistory->setFont(verdana);
    lstHistory->setUniformItemSizes(true);
    lstHistory->hide();
    History.SetView(lstHistory);
    auto *panelLayout = new QVBoxLayout(pnlLookup);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    panelLayout->addWidget(lblLookup);
    panelLayout->addWidget(edtLookup);
    panelLayout->addWidget(lstLookup, 1);
    panelLayout->addWidget(lstHistory, 1);

    rvMeaning = new view::TStyledView;
    rvMeaning->setObjectName(QStringLiteral("rvMeaning"));
    splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(pnlLookup);
    splitter->addWidget(rvMeaning);
    splitter->setChildrenCollapsible(false);
    pnlLookup->setMinimumWidth(150);
    splitter->setSizes({185, 715 - 185});
    splitter->setStretchFactor(1, 1);
    auto *frameLayout = new QHBoxLayout(tabDict);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(splitter);

    statusBar = new QStatusBar;
    statusBar->setObjectName(QStringLiteral("statusBar"));
    setTag(statusBar, -1);
    setStatusBar(statusBar);

    setTabOrder(edtLookup, rvMeaning);
    edtLookup->setFocus();

    connect(lstLookup, &QListView::clicked, this, [this] { lstLookupClick(); });
    connect(lstLookup, &QListView::doubleClicked, this, [this] { lstLookupDblClick(lstLookup); });
    connect(lstHistory, &QListWidget::doubleClicked, this, [this] { lstLookupDblClick(lstHistory); });
}

void TfrmMainDict::CreateMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));

    mnuHistory = newMenu(bar, "mnuHistory");
    mnuBack = newAction(mnuHistory, "mnuBack", QKeySequence(Qt::ALT | Qt::Key_Left));
    mnuBack->setEnabled(false);
    mnuForward = newAction(mnuHistory, "mnuForward", QKeySequence(Qt::ALT | Qt::Key_Right));
    mnuForward->setEnabled(false);
    mnuRecent = newAction(mnuHistory, "mnuRecent", QKeySequence(Qt::ALT | Qt::Key_Down));
    mnuRecent->setCheckable(true);
    mnuDelete = newAction(mnuHistory, "mnuDelete", QKeySequence(Qt::ALT | Qt::Key_Delete));
    addSeparator(mnuHistory, "mnuSep1");
    mnuMinimize = newAction(mnuHistory, "mnuMinimize", QKeySequence(Qt::Key_Escape));
    mnuExit = newAction(mnuHistory, "mnuExit", QKeySequence(Qt::ALT | Qt::Key_X));

    mnuDictionary = newMenu(bar, "mnuDictionary");
    m_dictionaryGroup = new QActionGroup(this);
    m_dictionaryGroup->setExclusive(true);

    mnuPrint = newMenu(bar, "mnuPrint");
    mnuPrintCurrent = newAction(mnuPrint, "mnuPrintCurrent", QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuPrintAll = newAction(mnuPrint, "mnuPrintAll", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P));
    setTag(mnuPrintAll, 1);

    mnuConfig = newMenu(bar, "mnuConfig");
    mnuManager = newAction(mnuConfig, "mnuManager", QKeySequence(Qt::CTRL | Qt::Key_D));
    // Offered in the menu: the styles it sets now last and reach the entry
    // view and printing.
    mnuFormat = newAction(mnuConfig, "mnuFormat", QKeySequence(Qt::CTRL | Qt::Key_F));
    addSeparator(mnuConfig, "mnuSep2");
    mnuEnglish = new QAction(QStringLiteral("English"), mnuConfig);
    mnuEnglish->setObjectName(QStringLiteral("mnuEnglish"));
    mnuEnglish->setData(kEnglish); // its hint: the language code
    setTag(mnuEnglish, -1);
    mnuEnglish->setCheckable(true);
    mnuEnglish->setChecked(true);
    mnuEnglish->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    mnuConfig->addAction(mnuEnglish);
    m_languageGroup = new QActionGroup(this);
    m_languageGroup->setExclusive(true);
    m_languageGroup->addAction(mnuEnglish);

    mnuHelp = newMenu(bar, "mnuHelp");
    mnuLVHelp = newAction(mnuHelp, "mnuLVHelp");
    addSeparator(mnuHelp, "mnuSep3");
    mnuAbout = newAction(mnuHelp, "mnuAbout");

    connect(mnuBack, &QAction::triggered, this, [this] { mnuBackClick(); });
    connect(mnuForward, &QAction::triggered, this, [this] { mnuForwardClick(); });
    connect(mnuRecent, &QAction::triggered, this, [this] { mnuRecentClick(); });
    connect(mnuDelete, &QAction::triggered, this, [this] { mnuDeleteClick(); });
    connect(mnuMinimize, &QAction::triggered, this, [this] { mnuMinimizeClick(); });
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuManager, &QAction::triggered, this, [this] { mnuManagerClick(); });
    connect(mnuFormat, &QAction::triggered, this, [this] { mnuFormatClick(); });
    connect(mnuPrintCurrent, &QAction::triggered, this, [this] { mnuPrintCurrentClick(mnuPrintCurrent); });
    connect(mnuPrintAll, &QAction::triggered, this, [this] { mnuPrintCurrentClick(mnuPrintAll); });
    connect(mnuEnglish, &QAction::triggered, this, [this] { mnuEnglishClick(mnuEnglish); });
    connect(mnuLVHelp, &QAction::triggered, this, [this] { mnuLVHelpClick(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAboutClick(); });

    // F1 reads the help page inside the program, where it is spoken; not a
    // menu item, so that the language files need no caption for it.
    mnuHelpPage = new QAction(this);
    mnuHelpPage->setObjectName(QStringLiteral("mnuHelpPage"));
    setTag(mnuHelpPage, -1);
    mnuHelpPage->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(mnuHelpPage);
    connect(mnuHelpPage, &QAction::triggered, this, [this] {
        dialogs::ShowHelp(this, QString::fromLatin1(kHelpPage), InterfaceLanguage, spInterface, Localizer());
    });
}

void TfrmMainDict::mnuFormatClick()
{
    dialogs::TfrmSettings dialog(this);
    dialog.SpeakingComponent = spInterface;
    dialog.SetStyles(rvMeaning->Document()->Styles());
    spInterface->HookControlTree(&dialog);
    if (dialog.exec() == QDialog::Accepted) {
        const view::TStyleSheet styles = dialog.Styles();
        ApplyEntryStyles(styles);
        try {
            lang::TIniFile config(kConfigFile);
            WriteEntryStyles(config, styles);
        } catch (const Error &error) {
            dialogs::ShowError(error.message());
        }
    }
    FocusEditOrHistory();
}

void TfrmMainDict::ApplyEntryStyles(const view::TStyleSheet &styles)
{
    // The entry on screen takes them at once, where the reader left it.
    const view::TItemPos caret = rvMeaning->Caret();
    rvMeaning->Document()->SetStyles(styles);
    rvMeaning->Format();
    rvMeaning->SetCaret(caret);
}

void TfrmMainDict::mnuLVHelpClick()
{
    // The desktop's browser when there is one, else the spoken help window.
    dialogs::OpenHelp(this, QString::fromLatin1(kHelpPage), InterfaceLanguage, spInterface, Localizer());
}

void TfrmMainDict::mnuAboutClick()
{
    dialogs::ShowAbout(this, spInterface);
}

QString TfrmMainDict::Message(const lang::TMessage &message) const
{
    return lang::MessageText(m_localizer.get(), message);
}

void TfrmMainDict::SpeakMessage(const lang::TMessage &message, const QString &argument)
{
    SpeakMessage(spInterface, message, argument);
}

void TfrmMainDict::SpeakMessage(speech::TSpeakingComponent *component, const lang::TMessage &message,
                                const QString &argument)
{
    component->SpeakText(FormatMessage(Message(message), argument));
}

void TfrmMainDict::ReadConfig(const QString &configPath)
{
    try {
        const lang::TIniFile config(configPath);
        Dictionary.ActiveDictName = config.ReadString(kInterface, kActiveDict, QString());
        InterfaceLanguage = config.ReadString(kInterface, kLanguageKey, kEnglish);
        QStringList unreadable;
        rvMeaning->Document()->SetStyles(ReadEntryStyles(config, &unreadable));
        // A style that cannot be read is shown as shipped, and said so; the
        // file keeps it until the user chooses the style again.
        if (!unreadable.isEmpty())
            dialogs::ShowError(FormatMessage(lang::MSG36.Text(), unreadable.join(QStringLiteral(", "))));
    } catch (const Error &error) {
        // The file stays as it is: writing it at the end would only lose
        // what could not be read.
        m_configUnreadable = true;
        InterfaceLanguage = kEnglish;
        dialogs::ShowError(error.message());
    }
    // The code names a file: nothing but a code may lead anywhere.
    if (!lang::IsLanguageCode(InterfaceLanguage)) {
        dialogs::ShowError(FormatMessage(lang::MSG29.Text(), InterfaceLanguage));
        InterfaceLanguage = kEnglish;
    }
    if (InterfaceLanguage == kEnglish)
        mnuEnglish->setChecked(true);

    TInterfaceVoice voice{QString::fromLatin1(LanguageSectionKeys::DefaultVoice), kStartupMissingPosition,
                          kStartupMissingPosition};
    try {
        voice = ReadInterfaceVoice(lang::TIniFile(lang::LanguageFileName(InterfaceLanguage)), voice.Name,
                                   kStartupMissingPosition);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
    SetInterfaceVoice(voice);
}

void TfrmMainDict::SetInterfaceVoice(const TInterfaceVoice &voice)
{
    InterfaceVoiceName = voice.Name;
    // A voice that is not installed is reported; the speaker keeps its voice
    // and the window still comes up whole.
    try {
        ApplyInterfaceVoice(*spkInterface, voice);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
}

void TfrmMainDict::LoadLocalStrings(const QString &code)
{
    try {
        spInterface->Words = speech::LoadLocalStrings(lang::LanguageFileName(code));
    } catch (const Error &error) {
        // The screen reader still needs its words: the built-in ones.
        spInterface->LoadDefaultWords();
        dialogs::ShowError(error.message());
    }
}

void TfrmMainDict::BuildLanguageMenu()
{
    // Name order stands for the directory order: stable on every file system.
    const QDir folder(lang::LanguageFolderName());
    const QStringList files = folder.entryList({QStringLiteral("Lexivoce.*")},
                                               QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    if (files.isEmpty())
        return;
    QString match = files.first();
    if (QFileInfo(match).suffix() == kEnglish) {
        if (files.size() < 2)
            return;
        match = files.at(1);
    }
    mnu2ndLang = new QAction(mnuConfig);
    mnu2ndLang->setObjectName(QStringLiteral("mnu2ndLang"));
    setTag(mnu2ndLang, -1);
    mnu2ndLang->setCheckable(true);
    mnu2ndLang->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    mnu2ndLang->setData(QFileInfo(match).suffix().left(3));
    QString name = QString::fromLatin1(LanguageSectionKeys::UnknownName);
    try {
        name = lang::TIniFile(folder.filePath(match))
                   .ReadString(QString::fromLatin1(LanguageSectionKeys::Section), InterfaceLanguage, name);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
    mnu2ndLang->setText(name);
    mnuConfig->insertAction(nullptr, mnu2ndLang);
    m_languageGroup->addAction(mnu2ndLang);
    connect(mnu2ndLang, &QAction::triggered, this, [this] { mnuEnglishClick(mnu2ndLang); });
    if (InterfaceLanguage != kEnglish)
        mnu2ndLang->setChecked(true);
}

void TfrmMainDict::mnuEnglishClick(QAction *sender)
{
    const QString code = sender->data().toString();
    if (code == InterfaceLanguage) {
        sender->setChecked(true);
        return;
    }
    const QString section = QString::fromLatin1(LanguageSectionKeys::Section);
    const QString unknown = QString::fromLatin1(LanguageSectionKeys::UnknownName);
    const lang::TIniFile oldFile(lang::LanguageFileName(InterfaceLanguage));
    InterfaceLanguage = code;
    const bool english = code == kEnglish;
    if (!english)
        mnuEnglish->setText(oldFile.ReadString(section, code, unknown));
    else if (mnu2ndLang)
        mnu2ndLang->setText(oldFile.ReadString(section, kEnglish, unknown));

    const lang::TIniFile newFile(lang::LanguageFileName(code));
    const TInterfaceVoice voice =
        ReadInterfaceVoice(newFile, QString::fromLatin1(LanguageSectionKeys::DefaultVoice), kSwitchMissingPosition);
    if (!english && mnu2ndLang)
        mnu2ndLang->setText(newFile.ReadString(section, code, unknown));
    else if (english)
        mnuEnglish->setText(newFile.ReadString(section, kEnglish, unknown));

    lang::TIniFile(kConfigFile).WriteString(kInterface, kLanguageKey, code);
    sender->setChecked(true);
    LoadLocalStrings(code);
    m_localizer->SetLanguage(code);
    m_localizer->TranslateComponent(this);
    SetInterfaceVoice(voice);
    // The new language names itself, in its own voice.
    spInterface->SpeakText(speech::StripAccelerator(sender->text()));
}

void TfrmMainDict::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        TntFormShow();
    }
}

void TfrmMainDict::TntFormShow()
{
    // A dictionary that cannot be opened must not leave the window
    // untranslated: each step reports its own failure.
    try {
        LoadDictionaryList(dict::RegistryFileName());
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
    try {
        m_localizer->TranslateComponent(this);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
}

void TfrmMainDict::closeEvent(QCloseEvent *event)
{
    sp->StopSpeaking();
    spInterface->StopSpeaking();
    try {
        if (!m_configUnreadable)
            lang::TIniFile(kConfigFile).WriteString(kInterface, kActiveDict, Dictionary.ActiveDictName);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
    event->accept();
}

bool TfrmMainDict::event(QEvent *event)
{
    // The status bar holds the word count; menu hovering must not wipe it.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TfrmMainDict::OnApplicationActive()
{
    AnnounceActiveDictionary();
    if (!m_pendingLookup.isEmpty())
        LookUpClipboardText(m_pendingLookup);
}

void TfrmMainDict::mnuMinimizeClick()
{
    // The entry stops; the user is told how to come back before the window
    // goes (with MinimizeToTray on, the icon takes its place).
    sp->StopSpeaking();
    SpeakMessage(lang::MSG25, dialogs::KeySequenceFromShortcut(trayIcon->Shortcut()).toString(QKeySequence::NativeText));
    showMinimized();
}

void TfrmMainDict::trayIconClick()
{
    trayIcon->RestoreApplication();
    trayIcon->RemoveFromTray();
}

void TfrmMainDict::trayIconShortcut()
{
    // The icon stays until it is clicked.
    trayIcon->RestoreApplication();
    if (QApplication::activeWindow() == this)
        AnnounceActiveDictionary();
}

void TfrmMainDict::BringToFront()
{
    trayIcon->BringToFront();
    if (QApplication::activeWindow() == this)
        AnnounceActiveDictionary();
}

} // namespace lexivoce::app
