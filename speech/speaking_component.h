#pragma once

#include "speech/control_description.h"
#include "speech/local_strings.h"
#include "speech/speakers.h"
#include "speech/utterance.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;

namespace lexivoce::speech {

class TSpeakingComponent;

using TBeforeSpeakEvent = std::function<void(TSpeakingComponent *sender, QWidget *control, TUtterance &text)>;
using TSpeakEvent = std::function<void(TSpeakingComponent *sender, TUtterance &text)>;
using TSpeakSpecialItemEvent =
    std::function<void(TSpeakingComponent *sender, const QString &specialItem, QString &specialItemText)>;
// A voice name, asked for each time it is needed (it may change).
using TVoiceNameFunction = std::function<QString()>;

// The record of one attached control: an event filter on the control plus
// connections to its signals, speaking through the speaker the component
// had when the control was attached.
class TControlSubClass : public QObject
{
    Q_OBJECT

public:
    TControlSubClass(TSpeakingComponent *owner, QWidget *control);
    ~TControlSubClass() override;

    QWidget *Control() const { return m_control; }
    TCustomSpeaker *Speaker() const { return m_speaker; }

    // Describes the control (OnBeforeSpeak may change it) and speaks it.
    void AnnounceControl(QWidget *control);
    // Speaks text trimmed; nothing for an empty text or a lone comma.
    void SpeakFromHook(const TUtterance &text);
    // Speaks the active element of a web page (inside frames), unless it is
    // the page's body; a failing page ends the announcement silently.
    void AnnounceWebElement(const class TWebDocument *document);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ConnectSignals();
    void AnnounceIfVisible();
    bool IsRepeat() const;
    void OnFocusIn(QEvent *event);
    // Caret moves and erasing, said before the control acts on the key.
    void OnKeyDown(QKeyEvent *event);
    // The typed character or finished word, said once the control has
    // taken the press.
    void EchoAfterPress(const QKeyEvent &event);
    // modifiers: those held when the key was pressed.
    void OnKeyUp(QKeyEvent *event, Qt::KeyboardModifiers modifiers);
    void OnMenuItem(class QAction *action);
    TControlVoicing Voicing() const;

    TSpeakingComponent *m_owner;
    QPointer<QWidget> m_control;
    QPointer<TCustomSpeaker> m_speaker;
    QList<QMetaObject::Connection> m_connections;
    // Keys pressed while this control had the focus, with the modifiers
    // then held: a release whose press went elsewhere is not a key for it.
    QHash<quint64, Qt::KeyboardModifiers> m_pressed;
    // Ctrl went down with no other key since: its release re-announces.
    bool m_ctrlAlone = false;
    // The last description spoken and when.
    TUtterance m_lastAnnouncement;
    QElapsedTimer m_lastAnnouncementTime;
};

// The built-in screen reader: attached to controls, it speaks the focused
// control with its label, value and state, check-state changes, list, tree
// and combo selections, menu items and typed keys; and it speaks any text
// the program gives it (SpeakText). Everything goes through one speaker.
class TSpeakingComponent : public QObject
{
    Q_OBJECT

public:
    explicit TSpeakingComponent(QObject *owner = nullptr);
    ~TSpeakingComponent() override;

    // Not owned. When the speaker is destroyed, every control is detached.
    TCustomSpeaker *Speaker() const { return m_speaker; }
    void SetSpeaker(TCustomSpeaker *speaker);

    bool SpeakChar = true;  // echo typed characters
    bool SpeakWord = true;  // speak the finished word on Space (and Enter in multi-line fields)

    // True attaches the whole owner window, false detaches it.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

    TBeforeSpeakEvent OnBeforeSpeak;
    TSpeakEvent OnSpeak;
    TSpeakSpecialItemEvent OnSpeakSpecialItem;

    TLocalStrings Words;

    // Speaks text after what the current user action said before it (older
    // actions' speech is cut off by the speech channel). A single blank says
    // the stSpace word; a blank text says nothing and interrupts nothing.
    // Errors of the speaker are dropped.
    void SpeakText(const TUtterance &text);
    // Silences the speaker at once.
    void StopSpeaking();

    // The voice of a control's own text, when it is in another language than
    // the interface (dictionary words); nullptr: the speaker's voice.
    void SetContentVoice(QWidget *control, TVoiceNameFunction voice);
    // A control that reads itself (see TControlVoicing).
    void SetSelfVoiced(QWidget *control, bool selfVoiced = true);
    TControlVoicing VoicingOf(const QWidget *control) const;

    void HookControl(QWidget *control);
    void HookControlTree(QWidget *control);
    void UnhookControl(QWidget *control);
    void UnhookControlTree(QWidget *control);
    void LoadDefaultWords();

    TControlSubClass *FindRecord(const QWidget *control) const;
    const QList<TControlSubClass *> &Records() const { return m_records; }

private:
    friend class TControlSubClass;
    void RemoveRecord(TControlSubClass *record);
    QWidget *OwnerWidget() const;

    void ForgetOnDestroy(QWidget *control);

    QPointer<TCustomSpeaker> m_speaker;
    QMetaObject::Connection m_speakerDestroyed;
    bool m_enabled = false;
    QList<TControlSubClass *> m_records;
    QHash<const QWidget *, TVoiceNameFunction> m_contentVoices;
    QHash<const QWidget *, bool> m_selfVoiced;
};

} // namespace lexivoce::speech
