#include "dialogs/dialog_form.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lexivoce::dialogs {

void SetDialogForm(QWidget *form, QSize clientSize)
{
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    form->setFont(tahoma);
    form->setFixedSize(clientSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        form->move(screen->geometry().center() - QPoint(clientSize.width() / 2, clientSize.height() / 2));
}

} // namespace lexivoce::dialogs
