#pragma once

#include <Qt>

class QKeyEvent;

namespace lexivoce::speech {

// Whether Caps Lock, Num Lock or Scroll Lock is on. Asks the X server when
// the program runs on one (the state of the keyboard, whoever toggled it);
// otherwise follows the presses of the lock keys this program has seen.
class TLockKeys
{
public:
    // Notes a key press (for the state without an X server).
    static void Track(const QKeyEvent &event);

    // The state after the last press; false for other keys.
    static bool IsOn(Qt::Key key);

    // Forgets the followed state (tests).
    static void Reset();
};

} // namespace lexivoce::speech
