#pragma once

#include <QSize>

class QWidget;

namespace lexivoce::dialogs {

// The look the program's fixed-layout dialogs share: "Tahoma" 11 pixels
// high (the font their positions were laid out for), a client area of
// clientSize that the user cannot resize, centred on the primary screen.
// Call it once the controls are in place.
void SetDialogForm(QWidget *form, QSize clientSize);

} // namespace lexivoce::dialogs
