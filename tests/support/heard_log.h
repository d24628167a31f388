#pragma once

// What the user heard, as the speech channel reports it: every utterance
// with when its first sound came and when it ended or was cut off. Tests
// judge the program by this, not by what was asked of the speakers.
#include "speech/markup.h"
#include "speech/speech_channel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTest>

namespace lexivoce::test {

// The text of an utterance without its markup, as the engine gets it.
inline QString PlainSpeech(const QString &markup)
{
    QString text;
    for (const speech::TSpeechSegment &segment : speech::ParseSpeechMarkup(markup))
        text += segment.Text;
    return text.trimmed();
}

// An utterance as its clauses, "VOICE:text" each (blanks simplified, clauses
// without words left out): one clause per voice change or pause.
inline QStringList SpeechClauses(const QString &markup)
{
    QStringList clauses;
    for (const speech::TSpeechSegment &segment : speech::ParseSpeechMarkup(markup)) {
        const QString text = segment.Text.simplified();
        if (!text.isEmpty())
            clauses << segment.VoiceName + u':' + text;
    }
    return clauses;
}

class THeardLog : public QObject
{
public:
    struct TEntry
    {
        QString Speaker;
        QString Text;        // as handed to the voice, markup included
        qint64 Heard = -1;   // ms since the log started; -1: never heard
        qint64 End = -1;     // when it ended or was cut
        bool Cut = false;

        QString Plain() const { return PlainSpeech(Text); }
    };

    THeardLog()
    {
        m_clock.start();
        auto &channel = speech::TSpeechChannel::Instance();
        connect(&channel, &speech::TSpeechChannel::Heard, this, [this](const QString &speaker, const QString &text) {
            Entries.append({speaker, text, m_clock.elapsed(), -1, false});
        });
        connect(&channel, &speech::TSpeechChannel::Done, this, [this](const QString &speaker, const QString &text) {
            Finish(speaker, text, false);
        });
        connect(&channel, &speech::TSpeechChannel::Cut, this, [this](const QString &speaker, const QString &text) {
            Finish(speaker, text, true);
        });
    }

    QList<TEntry> Entries;

    void Clear() { Entries.clear(); }

    // Lets the program speak until nothing is said or waits any more.
    static bool Settle(int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        QCoreApplication::processEvents();
        while (!speech::TSpeechChannel::Instance().IsIdle()) {
            if (timer.hasExpired(timeoutMs))
                return false;
            QTest::qWait(1);
        }
        QCoreApplication::processEvents();
        return true;
    }

    // Plain texts of the utterances heard to their end, in order; of one
    // speaker when speaker is given.
    QStringList Whole(const QString &speaker = QString()) const
    {
        QStringList texts;
        for (const TEntry &entry : Entries) {
            if (!entry.Cut && entry.Heard >= 0 && (speaker.isEmpty() || entry.Speaker == speaker))
                texts << entry.Plain();
        }
        return texts;
    }

    // Plain texts of everything cut off or dropped.
    QStringList Cuts() const
    {
        QStringList texts;
        for (const TEntry &entry : Entries) {
            if (entry.Cut)
                texts << entry.Plain();
        }
        return texts;
    }

    // Whether one utterance began before the one before it ended.
    bool Overlapped() const
    {
        const TEntry *previous = nullptr;
        for (const TEntry &entry : Entries) {
            if (entry.Heard < 0)
                continue;
            if (previous && (previous->End < 0 || entry.Heard < previous->End))
                return true;
            previous = &entry;
        }
        return false;
    }

private:
    void Finish(const QString &speaker, const QString &text, bool cut)
    {
        // One utterance is on the air at a time: the last one heard, unless
        // this one never made a sound.
        if (!Entries.isEmpty() && Entries.last().End < 0 && Entries.last().Text == text
            && Entries.last().Speaker == speaker) {
            Entries.last().End = m_clock.elapsed();
            Entries.last().Cut = cut;
            return;
        }
        Entries.append({speaker, text, -1, m_clock.elapsed(), cut});
    }

    QElapsedTimer m_clock;
};

} // namespace lexivoce::test
