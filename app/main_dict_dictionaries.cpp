// The main window's dictionaries: the Dictionary menu made from the
// registry, the active dictionary's open file and word list, and fetching an
// entry into the entry view.
#include "app/main_dict.h"

#include "dialogs/error_display.h"
#include "dialogs/message_dialog.h"
#include "dict/entry_renderer.h"
#include "dict/index_builder.h"
#include "dict/index_loader.h"
#include "dict/word_list.h"
#include "lang/error.h"
#include "lang/ini_file.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/entry_reader.h"
#include "speech/slider_position.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "view/styled_view.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>

#include <functional>

namespace lexivoce::app {

namespace {

// Rebuilding the active dictionary's index from the window: its notices are
// spoken, and the window keeps painting and speaking while it runs. Keys
// wait until it is done, so that nothing looks words up in the old list.
class TRebuildReporter : public dict::TJobReporter
{
public:
    explicit TRebuildReporter(std::function<void(const lang::TMessage &)> speak) : m_speak(std::move(speak)) {}

    void Notice(const lang::TMessage &message) override { m_speak(message); }
    bool ProcessEvents() override
    {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    }

private:
    std::function<void(const lang::TMessage &)> m_speak;
};

// Ctrl+1 ... Ctrl+9, then Ctrl+0, for the first ten dictionaries.
QKeySequence dictionaryShortcut(int n)
{
    if (n < 0 || n > 9)
        return QKeySequence();
    return QKeySequence(Qt::CTRL | (n == 9 ? Qt::Key_0 : Qt::Key(Qt::Key_1 + n)));
}

} // namespace

QAction *TfrmMainDict::AddDictionaryItem(int n, const dict::TDictRecord &record)
{
    auto *item = new QAction(record.Name, mnuDictionary);
    item->setObjectName(QStringLiteral("mnuDict%1").arg(n));
    // A negative tag: the localizer leaves the registry's name alone.
    item->setProperty("tag", -(n + 1));
    item->setData(record.Name); // its hint: the display name
    item->setCheckable(true);
    item->setShortcut(dictionaryShortcut(n));
    m_dictionaryGroup->addAction(item);
    mnuDictionary->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { DictionaryItemClick(item); });
    return item;
}

QAction *TfrmMainDict::CheckedDictionaryItem() const
{
    return m_dictionaryGroup->checkedAction();
}

QString TfrmMainDict::CheckedDictionaryName() const
{
    const QAction *item = CheckedDictionaryItem();
    return item ? speech::StripAccelerator(item->text()) : QString();
}

void TfrmMainDict::ApplyActiveDictionarySpeech()
{
    const TDictListEntry *entry = Dictionary.Active();
    if (!entry)
        return;
    speaker->SetSpeed(speech::SpeakerValue(entry->Speed));
    speaker->SetPitch(speech::SpeakerValue(entry->Pitch));
    speaker->SpeakPunctuation = entry->ReadPunc;
}

void TfrmMainDict::OpenDictionary(int n)
{
    // The menu, the speech and the words follow the pick even when the
    // text file cannot be opened; that error is shown, and look-ups then
    // say what is wrong.
    try {
        Dictionary.Open(n);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
    }
    ApplyActiveDictionarySpeech();
}

QList<dict::TDictRecord> TfrmMainDict::FillDictionaryMenu(const QString &registryPath)
{
    const QList<QAction *> oldItems = mnuDictionary->actions();
    for (QAction *item : oldItems) {
        m_dictionaryGroup->removeAction(item);
        mnuDictionary->removeAction(item);
        item->deleteLater();
    }
    const QList<dict::TDictRecord> offered = dict::ReadOfferedDictionaries(lang::TIniFile(registryPath));
    Dictionary.SetList(offered);
    for (int n = 0; n < offered.size(); ++n)
        AddDictionaryItem(n, offered.at(n));
    return offered;
}

void TfrmMainDict::CheckDictionaryItem(int n)
{
    mnuDictionary->actions().at(n)->setChecked(true);
    Dictionary.ActiveDictIndex = n;
}

void TfrmMainDict::LoadDictionaryList(const QString &registryPath)
{
    const QList<dict::TDictRecord> offered = FillDictionaryMenu(registryPath);
    if (offered.isEmpty())
        return;
    // The dictionary last picked, by name (the last of that name), else the
    // first.
    int active = 0;
    for (int n = 0; n < offered.size(); ++n) {
        if (offered.at(n).Name == Dictionary.ActiveDictName)
            active = n;
    }
    CheckDictionaryItem(active);
    OpenDictionary(active);
    QMetaObject::invokeMethod(this, &TfrmMainDict::OnIndexLoadPosted, Qt::QueuedConnection);
}

void TfrmMainDict::OnIndexLoadPosted()
{
    LoadIndex(Dictionary.IndexFileName);
}

void TfrmMainDict::ReloadDictionaryList(const QString &registryPath)
{
    const QString activePath = Dictionary.Active() ? Dictionary.Active()->Path : QString();
    const QList<dict::TDictRecord> offered = FillDictionaryMenu(registryPath);
    bool reload = true;
    for (int n = 0; n < offered.size() && reload; ++n) {
        if (!activePath.isEmpty() && offered.at(n).Path == activePath) {
            CheckDictionaryItem(n);
            reload = false;
        }
    }
    if (Dictionary.DictList.isEmpty()) {
        Dictionary.ActiveDictIndex = -1;
        return;
    }
    if (reload)
        CheckDictionaryItem(0);
    // The manager may have changed how the active dictionary speaks.
    ApplyActiveDictionarySpeech();
    if (!reload)
        return;
    ClearHistory();
    OpenDictionary(0);
    LoadIndex(Dictionary.IndexFileName);
}

void TfrmMainDict::DictionaryItemClick(QAction *item)
{
    const int n = -(item->property("tag").toInt() + 1);
    // The action group has already checked the item; what counts is whether
    // it was the active one before.
    const bool wasActive = n == Dictionary.ActiveDictIndex;
    ClearHistory();
    ClearEntryView();
    Dictionary.ActiveDictName = item->data().toString();
    if (!wasActive && n >= 0 && n < Dictionary.DictList.size()) {
        item->setChecked(true);
        OpenDictionary(n);
        LoadIndex(Dictionary.IndexFileName);
    }
    if (lstLookup->hasFocus() || lstHistory->hasFocus()) {
        edtLookupEnter();
    } else if (lstLookup->isVisible() && lstLookup->isEnabled()) {
        lstLookup->setFocus();
    } else if (lstHistory->isVisible() && lstHistory->isEnabled()) {
        lstHistory->setFocus();
    }
}

void TfrmMainDict::LoadIndex(const QString &indexPath, std::function<void()> then)
{
    QCoreApplication::processEvents();
    const QString name = CheckedDictionaryName();
    SpeakMessage(lang::MSG12, name);

    sp->UnhookControl(lstLookup);
    edtLookup->clear();
    WordList->FreeLocations();
    statusBar->showMessage(Message(lang::CtlStatusBar));
    // The window stays free meanwhile: keys are answered, and what needs the
    // words says that they are loading.
    IndexLoader->Start(indexPath, [this, name, indexPath, then = std::move(then)](dict::TWordListContent content,
                                                                                  const QString &error) {
        if (!error.isEmpty()) {
            // The list speaks again whatever happened; "ready" is not said.
            sp->HookControl(lstLookup);
            dialogs::ShowError(error);
            return;
        }
        WordList->Adopt(std::move(content));
        WordList->BuildExactTable();
        statusBar->showMessage(QString::number(WordList->Count()));
        sp->HookControl(lstLookup);
        SpeakMessage(lang::MSG11, name);
        // Said once, as the dictionary opens; each look-up checks its own entry.
        if (Dictionary.Active() && dict::IsIndexOlder(Dictionary.Active()->Path, indexPath))
            SpeakMessage(lang::MSG27, name);
        if (then)
            then();
    });
}

bool TfrmMainDict::IsLoadingIndex() const
{
    return IndexLoader->Busy();
}

void TfrmMainDict::ShowEntry(int position, bool fromHistory)
{
    if (position < 0) {
        SpeakMessage(lang::MSG13);
        return;
    }
    dict::TLocation location;
    // The word the entry must be of. A history item holds the word as it was
    // looked up, which FindExact matched to the list's word.
    QString word;
    if (fromHistory) {
        const std::optional<THistory::TItem> item = History.At(position);
        if (!item)
            return;
        location = item->Location;
        word = item->Word;
    } else {
        if (position >= WordList->Count())
            return;
        location = WordList->Location(position);
        word = WordList->Word(position);
    }
    bool cut = false;
    const QByteArray entry = Dictionary.DictFile.ReadEntry(location, &cut);
    // A stale or damaged index leads to another word's entry, or to none:
    // never shown and read as if it were this word's.
    if (!dict::IsEntryOf(entry, word)) {
        OfferIndexRebuild(word);
        return;
    }
    if (dict::RenderEntry(*rvMeaning->Document(), entry) || cut)
        SpeakMessage(lang::MSG28);
    // The view reads the entry when it receives the focus; one that has it
    // already (a word followed inside an entry) reads it now.
    if (rvMeaning->hasFocus())
        m_reader->ReadEntryText(true);
    else
        rvMeaning->setFocus();
}

void TfrmMainDict::OfferIndexRebuild(const QString &word)
{
    if (m_rebuildOffered)
        return;
    m_rebuildOffered = true;
    // Asked once the look-up that met the stale index is over: its caller
    // still holds a position in the word list that a rebuild replaces.
    QMetaObject::invokeMethod(
        this,
        [this, word] {
            const int answer = dialogs::ShowMessageDialog(Message(lang::MSG26), dialogs::mtConfirmation,
                                                          dialogs::mbYes | dialogs::mbNo, 0, spInterface, Localizer());
            m_rebuildOffered = false;
            if (answer == dialogs::mrYes)
                RebuildIndex(word);
        },
        Qt::QueuedConnection);
}

void TfrmMainDict::RebuildIndex(const QString &word)
{
    if (!Dictionary.Active())
        return;
    const QString path = Dictionary.Active()->Path;
    TRebuildReporter reporter([this](const lang::TMessage &message) { SpeakMessage(message); });
    try {
        // A missing dictionary, or one that cannot be read, is an error of its own.
        dict::BuildIndex(path, &reporter);
    } catch (const Error &error) {
        dialogs::ShowError(error.message());
        return;
    }
    SpeakMessage(lang::MSG15);
    // The history's locations point into the old index.
    ClearHistory();
    ClearEntryView();
    Dictionary.IndexFileName = dict::IndexFileName(path);
    // What the user asked for, now from the new index.
    LoadIndex(Dictionary.IndexFileName, [this, word] { LookUpExactly(word); });
}

QString TfrmMainDict::GetDictVoiceName(int which) const
{
    return Dictionary.VoiceName(which, speaker->VoiceNames);
}

} // namespace lexivoce::app
