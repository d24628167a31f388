#include "speech/utterance.h"

#include "speech/markup.h"

namespace lexivoce::speech {

namespace {

bool isTrailingBlank(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

} // namespace

TUtterance::TUtterance(const QString &text)
{
    Add(text);
}

TUtterance &TUtterance::Add(QStringView text, QStringView voice)
{
    if (text.isEmpty())
        return *this;
    if (!m_pieces.isEmpty() && m_pieces.last().Kind == TKind::Text && m_pieces.last().Voice == voice) {
        m_pieces.last().Text += text;
        return *this;
    }
    m_pieces.append({TKind::Text, text.toString(), voice.toString()});
    return *this;
}

TUtterance &TUtterance::AddSpelled(QStringView characters, QStringView voice)
{
    if (!characters.isEmpty())
        m_pieces.append({TKind::Spelled, characters.toString(), voice.toString()});
    return *this;
}

TUtterance &TUtterance::AddPause()
{
    // A break at the start, or after another, would only delay the speech.
    if (!m_pieces.isEmpty() && m_pieces.last().Kind != TKind::Pause)
        m_pieces.append({TKind::Pause, QString(), QString()});
    return *this;
}

TUtterance &TUtterance::Append(const TUtterance &other)
{
    for (const TPiece &piece : other.m_pieces) {
        switch (piece.Kind) {
        case TKind::Text: Add(piece.Text, piece.Voice); break;
        case TKind::Spelled: AddSpelled(piece.Text, piece.Voice); break;
        case TKind::Pause: AddPause(); break;
        }
    }
    return *this;
}

QString TUtterance::PlainText() const
{
    QString text;
    for (const TPiece &piece : m_pieces)
        text += piece.Text;
    return text;
}

TUtterance TUtterance::Trimmed() const
{
    QList<TPiece> pieces = m_pieces;
    while (!pieces.isEmpty()) {
        QString &text = pieces.first().Text;
        qsizetype begin = 0;
        while (begin < text.size() && text[begin].unicode() < 33)
            ++begin;
        text.remove(0, begin);
        if (!text.isEmpty())
            break;
        pieces.removeFirst();
    }
    while (!pieces.isEmpty()) {
        QString &text = pieces.last().Text;
        qsizetype end = text.size();
        while (end > 0 && isTrailingBlank(text[end - 1]))
            --end;
        text.truncate(end);
        if (!text.isEmpty())
            break;
        pieces.removeLast();
    }
    TUtterance trimmed;
    trimmed.m_pieces = pieces;
    return trimmed;
}

QString TUtterance::Markup() const
{
    QString markup;
    for (const TPiece &piece : m_pieces) {
        if (piece.Kind == TKind::Pause) {
            markup += QStringLiteral("<silence/>");
            continue;
        }
        QString text = EscapeMarkup(piece.Text);
        if (piece.Kind == TKind::Spelled)
            text = QStringLiteral("<spell>") + text + QStringLiteral("</spell>");
        if (!piece.Voice.isEmpty())
            text = QStringLiteral("<VOICE REQUIRED=\"NAME=") + EscapeMarkup(piece.Voice) + QStringLiteral("\">") + text
                 + QStringLiteral("</VOICE>");
        markup += text;
    }
    return markup;
}

} // namespace lexivoce::speech
