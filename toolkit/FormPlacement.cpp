#include "toolkit/FormPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace halvane {

void CentreOnScreen(QWidget* form, QSize clientSize) {
  if (QScreen* screen = QGuiApplication::primaryScreen())
    form->move(screen->availableGeometry().center() - QPoint(clientSize.width() / 2, clientSize.height() / 2));
}

}  // namespace halvane
