#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace lexivoce::speech {

// What is said in one go: pieces of plain text, each in a voice, with clause
// breaks between them and characters to be named. Markup() turns it into the
// engine's markup, and it is the one place that does: every piece is escaped
// there, so that text from the user, a dictionary, a file name or a language
// file is spoken as it stands and never obeyed as markup.
class TUtterance
{
public:
    enum class TKind { Text, Spelled, Pause };

    struct TPiece
    {
        TKind Kind = TKind::Text;
        QString Text;  // plain text; empty for a pause
        QString Voice; // a voice name; empty: the speaker's current voice

        bool operator==(const TPiece &) const = default;
    };

    TUtterance() = default;
    // Plain text in the speaker's current voice. Implicit: a text is an
    // utterance.
    TUtterance(const QString &text); // NOLINT(google-explicit-constructor)

    // Appends text in voice (empty: the speaker's current voice); it joins
    // the piece before when that one is text in the same voice.
    TUtterance &Add(QStringView text, QStringView voice = {});
    // Appends characters that are read by their names even where the engine
    // would skip them (brackets, dashes and other signs).
    TUtterance &AddSpelled(QStringView characters, QStringView voice = {});
    // Appends a clause break: the engine pauses as it does between sentences.
    TUtterance &AddPause();
    TUtterance &Append(const TUtterance &other);

    const QList<TPiece> &Pieces() const { return m_pieces; }
    bool IsEmpty() const { return m_pieces.isEmpty(); }
    // The text of every piece, in order, without markup or breaks.
    QString PlainText() const;
    // Leading characters below code 33 and trailing tabs, line breaks and
    // blanks removed, as the screen reader trims what it says; pieces left
    // empty are dropped.
    TUtterance Trimmed() const;

    // The engine's markup: text in a voice inside
    // <VOICE REQUIRED="NAME=voice">...</VOICE>, named characters inside
    // <spell>...</spell>, breaks as <silence/>; every text and voice name
    // escaped.
    QString Markup() const;

    bool operator==(const TUtterance &) const = default;

private:
    QList<TPiece> m_pieces;
};

} // namespace lexivoce::speech
