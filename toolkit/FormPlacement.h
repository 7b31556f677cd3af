#pragma once
// Placing forms on the screen.
#include <QSize>

class QWidget;

namespace halvane {

// Puts a window with the given client size in the middle of its screen.
void CentreOnScreen(QWidget* form, QSize clientSize);

}  // namespace halvane
