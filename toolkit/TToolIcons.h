#pragma once
// The images of the main window's three large toolbar buttons, drawn in
// code so that they scale and follow the skin's accent colour.
#include <QIcon>

namespace halvane {

class TToolIcons {
 public:
  static QIcon News();
  static QIcon Update();
  static QIcon Help();
};

}  // namespace halvane
