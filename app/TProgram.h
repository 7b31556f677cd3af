#pragma once
// Program start: the script is loaded, the application object and the main
// window are created, and the event loop runs until the window closes,
// which ends the process.
namespace halvane {

class TProgram {
 public:
  static int Run(int argc, char** argv);
};

}  // namespace halvane
