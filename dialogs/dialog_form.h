#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

namespace lexivoce::dialogs {

// The look the program's fixed-layout dialogs share: "Tahoma" 11 pixels
// high (the font their positions were laid out for), a client area of
// clientSize that the user cannot resize, centred on the primary screen.
// Call it once the controls are in place.
void SetDialogForm(QWidget *form, QSize clientSize);

// A control of a fixed-layout dialog: named (the name the language files and
// the tests know it by) and placed; sized too when width is given.
template <class T>
T *MakeControl(QWidget *parent, const char *name, int x, int y, int width = -1, int height = -1)
{
    auto *control = new T(parent);
    control->setObjectName(QString::fromLatin1(name));
    if (width > 0)
        control->setGeometry(x, y, width, height);
    else
        control->move(x, y);
    return control;
}

} // namespace lexivoce::dialogs
