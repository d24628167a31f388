// The main window's look-up: typing and walking the word list, Enter, the
// history with Back and Forward, the window-wide speech keys, the
// announcement of where the user is, and the clipboard look-up.
#include "app/main_dict.h"

#include "dict/word_list.h"
#include "dict/text.h"
#include "lang/localize.h"
#include "lang/messages.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "speech/speech_channel.h"
#include "speech/utterance.h"
#include "view/styled_view.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QTimer>

namespace lexivoce::app {

namespace {

bool canFocus(const QWidget *widget)
{
    return widget->isVisible() && widget->isEnabled();
}

// The punctuation keys of the speech commands, also as they arrive with
// Shift held on layouts where Shift changes the symbol.
enum class TSpeechKey { None, Period, Comma, Slash };

TSpeechKey speechKeyOf(int key)
{
    switch (key) {
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return TSpeechKey::Period;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return TSpeechKey::Comma;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return TSpeechKey::Slash;
    default:
        return TSpeechKey::None;
    }
}

} // namespace

bool IsSpeechChord(int key, Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ControlModifier) && speechKeyOf(key) != TSpeechKey::None;
}

int TfrmMainDict::SelectedWord() const
{
    const QModelIndexList selected = lstLookup->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TfrmMainDict::SelectWord(int position)
{
    // Selected without becoming the list's current item: the word is spoken
    // once, in the dictionary's voice, not also by the list.
    const QModelIndex index = WordList->index(position);
    lstLookup->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    lstLookup->scrollTo(index);
}

void TfrmMainDict::SpeakLookupWord(bool withLabel)
{
    const QString voice = GetDictVoiceName(1);
    if (voice.isEmpty())
        return;
    if (withLabel)
        spInterface->SpeakText(speech::StripAccelerator(lblLookup->text()));
    sp->SpeakText(speech::TUtterance().Add(edtLookup->text(), voice));
}

void TfrmMainDict::edtLookupEnter()
{
    SpeakLookupWord(true);
}

void TfrmMainDict::edtLookupKeyDown(int key)
{
    if (key != Qt::Key_Up && key != Qt::Key_Down) {
        lstLookup->selectionModel()->clearSelection();
        return;
    }
    if (IsLoadingIndex()) {
        SpeakMessage(lang::MSG12, CheckedDictionaryName());
        return;
    }
    int position = SelectedWord();
    if (position < 0)
        position = dict::FindNearest(edtLookup->text(), *WordList);
    else if (key == Qt::Key_Up)
        position = qMax(0, position - 1);
    else
        position = qMin(WordList->Count() - 1, position + 1);
    // Nothing to select (an empty list, or a text after every word): the
    // edit keeps what the user typed and nothing is said.
    if (position < 0 || position >= WordList->Count())
        return;
    SelectWord(position);
    edtLookup->setText(WordList->Word(position));
    SpeakLookupWord(false);
}

void TfrmMainDict::edtLookupKeyUp(QWidget *sender, int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    if (sender == lstHistory) {
        const int position = lstHistory->currentRow();
        const bool selected = position >= 0 && lstHistory->currentItem()->isSelected();
        if (selected)
            ClearEntryView();
        ShowEntry(selected ? position : -1, true);
        return;
    }
    LookUpExactly(dict::TrimText(edtLookup->text()).toString());
}

void TfrmMainDict::LookUpExactly(const QString &text)
{
    if (text.isEmpty())
        return;
    if (IsLoadingIndex()) {
        SpeakMessage(lang::MSG12, CheckedDictionaryName());
        return;
    }
    const int position = dict::FindExact(text, *WordList);
    if (position >= 0)
        ClearEntryView();
    ShowEntry(position, false);
    if (position >= 0 && lstHistory->isHidden())
        RecordLookup(text, WordList->Location(position));
}

void TfrmMainDict::lstLookupClick()
{
    const int position = SelectedWord();
    if (position < 0)
        return;
    edtLookup->setText(WordList->Word(position));
    edtLookup->setFocus();
}

void TfrmMainDict::lstLookupDblClick(QWidget *sender)
{
    if (sender == lstHistory) {
        const int position = lstHistory->currentRow();
        if (position >= 0)
            ClearEntryView();
        ShowEntry(position, true);
        return;
    }
    if (WordList->Count() == 0)
        return;
    const int position = SelectedWord();
    const QString text = edtLookup->text();
    if (position >= 0)
        ClearEntryView();
    ShowEntry(position, false);
    if (position >= 0 && lstHistory->isHidden())
        RecordLookup(text, WordList->Location(position));
}

void TfrmMainDict::RecordLookup(const QString &word, dict::TLocation location)
{
    History.Record(word, location);
    SetBackForward();
}

void TfrmMainDict::SetBackForward()
{
    mnuBack->setEnabled(History.CanGoBack());
    mnuForward->setEnabled(History.CanGoForward());
}

void TfrmMainDict::ClearHistory()
{
    History.Clear();
    SetBackForward();
}

void TfrmMainDict::ClearEntryView()
{
    rvMeaning->Clear();
    rvMeaning->Format();
}

void TfrmMainDict::mnuBackClick()
{
    StepHistory(-1);
}

void TfrmMainDict::mnuForwardClick()
{
    StepHistory(1);
}

void TfrmMainDict::StepHistory(int step)
{
    // Past either end there is nothing to show (the command is disabled
    // there, and answers): the position stays.
    if (!History.Step(step)) {
        SpeakMessage(step < 0 ? lang::MSG21 : lang::MSG22);
        return;
    }
    SetBackForward();
    ClearEntryView();
    // Shown in the view and read, whether or not the view had the focus.
    ShowEntry(History.Position(), true);
}

void TfrmMainDict::mnuRecentClick()
{
    const bool showHistory = mnuRecent->isChecked();
    // The list is named before its first word, and an empty one says so.
    if (showHistory) {
        spInterface->SpeakText(speech::StripAccelerator(mnuRecent->text()));
        if (History.Count() == 0)
            SpeakMessage(lang::MSG20);
    }
    lstHistory->setVisible(showHistory);
    lstLookup->setVisible(!showHistory);
    edtLookup->setVisible(!showHistory);
    if (canFocus(lstHistory))
        lstHistory->setFocus();
    if (lstHistory->count() > 0)
        lstHistory->setCurrentRow(0);
    if (canFocus(edtLookup))
        edtLookup->setFocus();
}

void TfrmMainDict::mnuDeleteClick()
{
    SpeakMessage(lang::MSG02);
    ClearHistory();
    SpeakMessage(lang::MSG20);
}

void TfrmMainDict::TntFormKeyUp(int key, Qt::KeyboardModifiers modifiers)
{
    if (!IsSpeechChord(key, modifiers))
        return;
    const TSpeechKey speechKey = speechKeyOf(key);
    if (speechKey == TSpeechKey::Slash) {
        AnnounceActiveDictionary();
        return;
    }
    const int step = speechKey == TSpeechKey::Period ? 10 : -10;
    const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool entry = held & Qt::ShiftModifier;
    const bool rate = held & Qt::AltModifier;
    speech::TSpeakingComponent *component = entry ? sp : spInterface;
    speech::TCustomSpeaker *target = component->Speaker();
    if (!target)
        return;
    // Each change is said by the speaker it changed, in its new sound.
    if (rate) {
        target->SetSpeed(target->Speed() + step);
        SpeakMessage(component, lang::MSG19, QString::number(target->Speed()));
    } else {
        target->SetVolume(target->Volume() + step);
        SpeakMessage(component, lang::MSG18, QString::number(target->Volume()));
    }
}

void TfrmMainDict::FocusEditOrHistory()
{
    if (canFocus(edtLookup))
        edtLookup->setFocus();
    else if (canFocus(lstHistory))
        lstHistory->setFocus();
}

void TfrmMainDict::AnnounceActiveDictionary()
{
    // Where the user is comes first; the focused control is said after it.
    spInterface->SpeakText(Message(lang::MSG01) + QStringLiteral(", ") + CheckedDictionaryName());
    FocusEditOrHistory();
}

void TfrmMainDict::LookupClipboard()
{
    if (!IsLookupKeyHeld || !IsInBackground || !IsLookupKeyHeld() || !IsInBackground())
        return;
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    const QString text = mime ? mime->text() : QString();
    if (text.isEmpty())
        return;
    speech::TSpeechChannel::Instance().BeginAction();
    BringToFront();
    // On X the window becomes active only later; the look-up waits for it,
    // or the announcement would take the focus back from the entry.
    if (QApplication::activeWindow() == this) {
        LookUpClipboardText(text);
    } else {
        m_pendingLookup = text;
        m_pendingLookupTimer->start();
    }
}

void TfrmMainDict::LookUpClipboardText(QString text)
{
    // text may be the pending text itself: taken by value before it goes.
    m_pendingLookup.clear();
    m_pendingLookupTimer->stop();
    if (text.isEmpty())
        return;
    const QString trimmed = dict::TrimText(text).toString();
    edtLookup->setText(trimmed);
    const int nearest = dict::FindNearest(text, *WordList);
    if (nearest < WordList->Count())
        SelectWord(nearest);
    // As if Enter were released in the edit.
    LookUpExactly(trimmed);
}

} // namespace lexivoce::app
