#pragma once

namespace lexivoce::app {

// Whether the left Super ("Windows") key is held down at this moment, asked
// of the X server, so that it is known while another program has the
// keyboard. False without an X server: the key cannot be seen there.
bool IsLeftSuperHeld();

} // namespace lexivoce::app
