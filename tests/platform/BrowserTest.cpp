#include "Browser.h"

#include <gtest/gtest.h>

namespace halvane::platform {
namespace {

TEST(BrowserProgramFromCommand, CutsAfterFirstExeAndDropsQuotes) {
  EXPECT_EQ(BrowserProgramFromCommand(R"("C:\Program Files\Web\Browser.EXE" -nohome "%1")"),
            R"(c:\program files\web\browser.exe)");
  EXPECT_EQ(BrowserProgramFromCommand(R"(C:\apps.exe\tools\browser.exe %1)"), R"(c:\apps.exe)");
  EXPECT_EQ(BrowserProgramFromCommand("opener --new"), ".exe");
}

TEST(ProgramFromDesktopExec, FirstWordWithQuotingUndone) {
  EXPECT_EQ(ProgramFromDesktopExec("firefox-esr %u"), "firefox-esr");
  EXPECT_EQ(ProgramFromDesktopExec(R"("/opt/my browser/run" --new-window %U)"), "/opt/my browser/run");
  EXPECT_EQ(ProgramFromDesktopExec(R"(/opt/a\ b/run %u)"), "/opt/a b/run");
  EXPECT_EQ(ProgramFromDesktopExec("  %u"), "");
  EXPECT_EQ(ProgramFromDesktopExec(""), "");
}

}  // namespace
}  // namespace halvane::platform
