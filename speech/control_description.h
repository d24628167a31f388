#pragma once

#include "speech/local_strings.h"
#include "speech/utterance.h"

#include <QString>

#include <utility>

class QWidget;

namespace lexivoce::speech {

// How the screen reader voices one control.
struct TControlVoicing
{
    // The control reads itself: only its label is said for it, and keys
    // typed into it are not echoed.
    bool SelfVoiced = false;
    // The voice of the control's own text (its value, its items and what is
    // typed into it); empty: the speaker's current voice.
    QString ContentVoice;
};

// What is said for a control: its label (a QLabel whose buddy it is), then
// by kind its caption, state and value, the control's own text in its
// content voice. No word for the kind of control.
TUtterance DescribeControl(const QWidget *control, const TLocalStrings &words, const TControlVoicing &voicing = {});

// Leading characters below code 33 and trailing tabs, line breaks and blanks
// removed.
QString TrimSpoken(const QString &text);

// Every '&' removed (a doubled "&&" stands for one).
QString StripAccelerator(const QString &text);

// Text fields as the screen reader sees them.
bool IsPasswordField(const QWidget *control);
bool IsReadOnlyField(const QWidget *control);
// The widget whose text a key edits: a line or text edit, or an editable
// combo box's line edit; nullptr for anything else.
QWidget *TextEditor(QWidget *control);
// Text and caret (the start of the selection) of a text editor; {"", -1}
// for anything else.
std::pair<QString, int> TextAndCaret(const QWidget *editor);

} // namespace lexivoce::speech
