#pragma once

#include "app/active_dictionary.h"
#include "app/history.h"
#include "dict/dict_file.h"
#include "dict/location.h"
#include "dict/registry.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QPrinter;
class QSplitter;
class QStatusBar;
class QTimer;

namespace lexivoce::dialogs {
class TTrayIcon;
}
namespace lexivoce::dict {
class TIndexLoader;
class TWordList;
}
namespace lexivoce::lang {
class TLocalize;
struct TMessage;
}
namespace lexivoce::speech {
class TEntryReader;
class TSpeaker5;
class TSpeakingComponent;
}
namespace lexivoce::view {
class TStyledView;
struct TStyleSheet;
}

namespace lexivoce::app {

class TCommandKeys;
struct TInterfaceVoice;

// The program's one window: the look-up edit, the word list and the history
// on the left, the entry view on the right, the Dictionary menu made from the
// registry, and the two speakers (entry and interface) with their speaking
// components. Every file is named relative to the current directory, which
// is the profile folder.
//
// Members carry the names the rest of the program and the language files
// know them by; they are public so that tests can drive the window as a
// user would.
class TfrmMainDict : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfrmMainDict(QWidget *parent = nullptr);
    ~TfrmMainDict() override;

    // Controls
    QFrame *tabDict = nullptr;
    QWidget *pnlLookup = nullptr;
    QLabel *lblLookup = nullptr;
    QLineEdit *edtLookup = nullptr;
    QListView *lstLookup = nullptr;
    QListWidget *lstHistory = nullptr;
    QSplitter *splitter = nullptr;
    view::TStyledView *rvMeaning = nullptr;
    QStatusBar *statusBar = nullptr;

    // Menu
    QMenu *mnuHistory = nullptr;
    QAction *mnuBack = nullptr;
    QAction *mnuForward = nullptr;
    QAction *mnuRecent = nullptr;
    QAction *mnuDelete = nullptr;
    QAction *mnuMinimize = nullptr;
    QAction *mnuExit = nullptr;
    QMenu *mnuDictionary = nullptr;
    QMenu *mnuPrint = nullptr;
    QAction *mnuPrintCurrent = nullptr;
    QAction *mnuPrintAll = nullptr;
    QMenu *mnuConfig = nullptr;
    QAction *mnuManager = nullptr;
    QAction *mnuFormat = nullptr;
    QAction *mnuEnglish = nullptr;
    QAction *mnu2ndLang = nullptr; // made by BuildLanguageMenu when a second language exists
    QMenu *mnuHelp = nullptr;
    QAction *mnuLVHelp = nullptr;
    QAction *mnuAbout = nullptr;
    QAction *mnuHelpPage = nullptr; // F1, outside the menu

    // The notification-area icon with the hot key Ctrl+F12.
    dialogs::TTrayIcon *trayIcon = nullptr;

    // Speech: entry speaker and interface speaker, each with its component.
    speech::TSpeaker5 *speaker = nullptr;
    speech::TSpeakingComponent *sp = nullptr;
    speech::TSpeaker5 *spkInterface = nullptr;
    speech::TSpeakingComponent *spInterface = nullptr;

    // Dictionaries
    TActiveDictionary Dictionary;
    dict::TWordList *WordList = nullptr; // the model behind lstLookup
    // Reads the word list; a large index on a thread of its own.
    dict::TIndexLoader *IndexLoader = nullptr;

    // History and interface language
    THistory History;
    QString InterfaceLanguage;
    QString InterfaceVoiceName;

    lang::TLocalize *Localizer() const { return m_localizer.get(); }

    // The desktop as the clipboard look-up sees it. Defaults: the left Super
    // key's state read from the X server (never held without one), and
    // whether none of the program's windows is active.
    std::function<bool()> IsLookupKeyHeld;
    std::function<bool()> IsInBackground;

    // Configuration and interface language
    void ReadConfig(const QString &configPath);
    void LoadLocalStrings(const QString &code);
    void BuildLanguageMenu();
    void mnuEnglishClick(QAction *sender);
    // Settings > Setup dictionary (Ctrl+D): the dictionary manager; after OK
    // the dictionaries are read again and its interface voice is taken.
    void mnuManagerClick();

    // Settings > Customize dictionary (Ctrl+F): the style settings; after
    // OK the entry view and printing take the styles, and the user
    // configuration file keeps them.
    void mnuFormatClick();
    void ApplyEntryStyles(const view::TStyleSheet &styles);

    // Help > Lexivoce Help: the help page in the desktop's browser, or in
    // the program's own help window when the desktop has none; F1 always
    // in the help window. Help > About: the about box.
    void mnuLVHelpClick();
    void mnuAboutClick();

    // Dictionaries and the word list
    void LoadDictionaryList(const QString &registryPath);
    void ReloadDictionaryList(const QString &registryPath);
    void DictionaryItemClick(QAction *item);
    // Loads the word list; then runs once the words are in place (at once
    // for a small index, later for a large one) unless another load or a
    // failure comes first.
    void LoadIndex(const QString &indexPath, std::function<void()> then = {});
    // The word list is still being read: what needs it says so instead.
    bool IsLoadingIndex() const;
    // position -1 speaks MSG13; fromHistory picks the history list's item.
    void ShowEntry(int position, bool fromHistory);
    QString GetDictVoiceName(int which) const;

    // Look-up and history
    void SpeakLookupWord(bool withLabel);
    void AnnounceActiveDictionary();
    void LookupClipboard();
    void edtLookupEnter();
    void edtLookupKeyDown(int key);
    void edtLookupKeyUp(QWidget *sender, int key);
    void lstLookupClick();
    void lstLookupDblClick(QWidget *sender);
    void mnuBackClick();
    void mnuForwardClick();
    void mnuRecentClick();
    void mnuDeleteClick();
    void mnuMinimizeClick();
    void trayIconClick();
    void trayIconShortcut();
    // key and modifiers as they were when the key was pressed.
    void TntFormKeyUp(int key, Qt::KeyboardModifiers modifiers);
    // Entry view: a head word is spoken in the first voice (which the entry
    // speaker keeps from then on); an idiom or example word is looked up.
    void FollowItem(int itemNo);
    // atEdge: Up was pressed on the first line, Down on the last.
    void rvMeaningKeyUp(int key, Qt::KeyboardModifiers modifiers, bool atEdge = false);
    speech::TEntryReader *Reader() const { return m_reader.get(); }

    // Print > Print current word (tag 0) and Print all words (tag 1): the
    // entry on screen, or every entry of the history in order, with a
    // footer on each page, to the printer MakePrinter gives (by default
    // the default printer; none: nothing is printed and that is said).
    void mnuPrintCurrentClick(QAction *sender);
    std::function<std::unique_ptr<QPrinter>()> MakePrinter;

    // Appends a look-up to the history and moves HistoryPos to it.
    void RecordLookup(const QString &word, dict::TLocation location);

    // The word list's selected word, or -1.
    int SelectedWord() const;
    void SelectWord(int position);

    // Brings the window to the front from wherever it is (minimized, hidden
    // to the notification area, behind other windows); it announces itself
    // on becoming active.
    void BringToFront();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // A key press as the window saw it: where it went and with what held.
    struct TKeyPress
    {
        QPointer<QWidget> Receiver;
        int Key = 0;
        Qt::KeyboardModifiers Modifiers;
        bool AtEdge = false; // entry view: Up on the first line, Down on the last
    };

    void CreateControls();
    void CreateMenu();
    void TntFormShow();
    void OnIndexLoadPosted();
    // The fetched entry is not word's: says so and offers, with Yes and No,
    // to rebuild the index; asked after the current look-up has finished.
    void OfferIndexRebuild(const QString &word);
    // Rebuilds the active dictionary's index, reloads the word list and
    // looks word up again.
    void RebuildIndex(const QString &word);
    void ApplyActiveDictionarySpeech();
    // Makes dictionary n active (Dictionary.Open, an error shown) and
    // applies its speech; the caller loads its words.
    void OpenDictionary(int n);
    void ClearHistory();
    void SetBackForward();
    // Back (-1) or Forward (+1) through the history.
    void StepHistory(int step);
    void ClearEntryView();
    void FocusEditOrHistory();
    QAction *CheckedDictionaryItem() const;
    QString CheckedDictionaryName() const;
    QAction *AddDictionaryItem(int n, const dict::TDictRecord &record);
    // Rebuilds DictList and the Dictionary menu from the registry's offered
    // sections, nothing checked; returns those sections.
    QList<dict::TDictRecord> FillDictionaryMenu(const QString &registryPath);
    void CheckDictionaryItem(int n);
    void OnApplicationActive();
    // Key handling of the key preview; true when the press is used up.
    bool OnKeyPress(QWidget *receiver, QKeyEvent *event);
    void OnKeyRelease(QWidget *receiver, QKeyEvent *event);
    void OnDisabledCommand(QAction *command);
    // The dictionary's words outside the entry are read in its first voice.
    QString DictionaryWordVoice() const;
    // The interface speaker takes voice, and InterfaceVoiceName its name.
    void SetInterfaceVoice(const TInterfaceVoice &voice);
    // Enter in the edit: text found exactly, shown, read and recorded, or
    // MSG13; an empty text does nothing.
    void LookUpExactly(const QString &text);
    // LookupClipboard's look-up proper, once the window is in front.
    void LookUpClipboardText(QString text);
    QString Message(const lang::TMessage &message) const;
    void SpeakMessage(const lang::TMessage &message, const QString &argument = QString());
    void SpeakMessage(speech::TSpeakingComponent *component, const lang::TMessage &message,
                      const QString &argument);

    std::unique_ptr<lang::TLocalize> m_localizer;
    std::unique_ptr<speech::TEntryReader> m_reader;
    std::unique_ptr<TCommandKeys> m_commandKeys;
    // Keys down, by their identity, as pressed: a release acts on its press.
    QHash<quint64, TKeyPress> m_keyPresses;
    // Shift went down with no other key since: its release silences.
    bool m_shiftAlone = false;
    QActionGroup *m_dictionaryGroup = nullptr;
    QActionGroup *m_languageGroup = nullptr;
    bool m_shown = false;
    // Lexivoce.config could not be read: it is left as it is.
    bool m_configUnreadable = false;
    bool m_rebuildOffered = false;
    // Clipboard text waiting for the window to become active: the window
    // announces itself first, then the entry is shown and read.
    QString m_pendingLookup;
    QTimer *m_pendingLookupTimer = nullptr;
};

// "%s" in text replaced by argument (the messages' placeholder).
QString FormatMessage(const QString &text, const QString &argument);

// The default printer, or nullptr when the system has none.
std::unique_ptr<QPrinter> DefaultPrinter();

// Ctrl with period, comma or slash (as Shift makes them on some layouts):
// the window's speech keys, whatever else is held.
bool IsSpeechChord(int key, Qt::KeyboardModifiers modifiers);

} // namespace lexivoce::app
