#pragma once

#include "speech/local_strings.h"
#include "speech/speakers.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QKeyEvent;

namespace lexivoce::speech {

class TSpeakingComponent;

using TBeforeSpeakEvent = std::function<void(TSpeakingComponent *sender, QWidget *control, QString &text)>;
using TSpeakEvent = std::function<void(TSpeakingComponent *sender, QString &text)>;
using TSpeakSpecialItemEvent =
    std::function<void(TSpeakingComponent *sender, const QString &specialItem, QString &specialItemText)>;

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
    void SpeakFromHook(const QString &text);
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
    void OnKeyDown(QKeyEvent *event);
    void OnKeyUp(QKeyEvent *event);
    void OnMenuItem(class QAction *action);

    TSpeakingComponent *m_owner;
    QPointer<QWidget> m_control;
    QPointer<TCustomSpeaker> m_speaker;
    QList<QMetaObject::Connection> m_connections;
    // The last description spoken and when.
    QString m_lastAnnouncement;
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

    // Speaks text, cutting off what is being said. A single blank says the
    // stSpace word; a blank text says nothing and interrupts nothing.
    // Errors of the speaker are dropped.
    void SpeakText(const QString &text);
    void StopSpeaking();

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

    QPointer<TCustomSpeaker> m_speaker;
    QMetaObject::Connection m_speakerDestroyed;
    bool m_enabled = false;
    QList<TControlSubClass *> m_records;
};

// Leading characters below code 33 and trailing tabs, line breaks and blanks
// removed.
QString TrimSpoken(const QString &text);

// Every '&' removed (a doubled "&&" stands for one).
QString StripAccelerator(const QString &text);

// What is said for a control: its label (a QLabel whose buddy it is), then
// by kind its caption, state and value. No word for the kind of control.
QString DescribeControl(const QWidget *control, const TLocalStrings &words);

} // namespace lexivoce::speech
