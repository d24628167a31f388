#pragma once

#include "view/styled_document.h"

#include <QString>
#include <QStringList>

namespace lexivoce::lang {
class TIniFile;
}

namespace lexivoce::app {

// The entry styles the user chose in the style settings, kept in the user
// configuration file: section "EntryStyles", one key per style a dictionary
// line is rendered in, named as the style is, with the value
// "font|size|flags|colour": flags a subset of "BIU" (bold, italic,
// underline), colour "#rrggbb" or "window" (the desktop's text colour).

// The shipped entry style sheet with the user's choices over it. A value
// that cannot be read leaves its style as shipped; its key is added to
// unreadable when given.
view::TStyleSheet ReadEntryStyles(const lang::TIniFile &config, QStringList *unreadable = nullptr);

// Keeps the font, size, flags and colour of each style a line is rendered
// in. Throws lang's Error when the file cannot be written.
void WriteEntryStyles(lang::TIniFile &config, const view::TStyleSheet &styles);

// One style's value, and back; false when text is not a style's value.
QString EntryStyleValue(const view::TTextStyle &style);
bool ParseEntryStyleValue(const QString &text, view::TTextStyle *style);

} // namespace lexivoce::app
