#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace lexivoce::dict {

// The markup languages of StarDict's text fields.
enum class TMarkup {
    Html,  // 'h': block tags (br, p, div, li...) break lines; source line ends are blanks
    Pango, // 'g': inline tags only; source line ends break lines
    Xdxf,  // 'x': <k> (the head word) dropped, <tr> taken apart, <br/> and <ex> break lines
};

struct TMarkupText
{
    QByteArray Text;          // UTF-8, lines ending in LF
    QByteArray Transcription; // XDXF's first <tr>, else empty
};

// The text of UTF-8 markup: tags removed, the content of script, style,
// sound and picture references dropped, character references and the
// common named entities decoded. Bytes that are not markup are kept as they
// are; a '<' that opens no tag stays text.
TMarkupText MarkupToText(QByteArrayView markup, TMarkup kind);

} // namespace lexivoce::dict
