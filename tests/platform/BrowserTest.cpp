#include "platform/Browser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace halvane::platform {
namespace {

using TArgs = std::vector<std::string>;

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

const char* const kAddress = "http://blog.test/post/";

TEST(DesktopExecArguments, SnapAndFlatpakEntriesKeepEveryWord) {
  EXPECT_EQ(DesktopExecArguments("env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/"
                                 "firefox_firefox.desktop /snap/bin/firefox %u",
                                 kAddress),
            (TArgs{"env", "BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop",
                   "/snap/bin/firefox", kAddress}));
  EXPECT_EQ(DesktopExecArguments("/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=firefox "
                                 "--file-forwarding org.mozilla.firefox @@u %u @@",
                                 kAddress),
            (TArgs{"/usr/bin/flatpak", "run", "--branch=stable", "--arch=x86_64", "--command=firefox",
                   "--file-forwarding", "org.mozilla.firefox", "@@u", kAddress, "@@"}));
}

TEST(DesktopExecArguments, QuotingAndEscapes) {
  EXPECT_EQ(DesktopExecArguments(R"("/opt/my browser/run" --new-window %U)", kAddress),
            (TArgs{"/opt/my browser/run", "--new-window", kAddress}));
  // Inside quotes \" \` \$ \\ are escapes; the key file's \s is a blank.
  EXPECT_EQ(DesktopExecArguments(R"(run "a \"b\" \$HOME \\ \`x\`" c\sd %u)", kAddress),
            (TArgs{"run", R"(a "b" $HOME \ `x`)", "c", "d", kAddress}));
  EXPECT_EQ(DesktopExecArguments(R"(run "%u")", kAddress), (TArgs{"run", kAddress}));
  EXPECT_EQ(DesktopExecArguments(R"(run --url=%u)", kAddress), (TArgs{"run", std::string("--url=") + kAddress}));
  EXPECT_EQ(DesktopExecArguments("run %F", kAddress), (TArgs{"run", kAddress}));
  EXPECT_EQ(DesktopExecArguments("run %f", kAddress), (TArgs{"run", kAddress}));
}

TEST(DesktopExecArguments, FieldCodes) {
  const TDesktopEntryInfo entry{"firefox", "Firefox Web Browser", "/usr/share/applications/firefox.desktop"};
  EXPECT_EQ(DesktopExecArguments("run %i --class %c --entry %k %u", kAddress, entry),
            (TArgs{"run", "--icon", "firefox", "--class", "Firefox Web Browser", "--entry",
                   "/usr/share/applications/firefox.desktop", kAddress}));
  // Without an icon %i is nothing; deprecated codes are dropped; %% is "%".
  EXPECT_EQ(DesktopExecArguments("run %i %d %D %n %N %v %m --rate=100%% %u", kAddress),
            (TArgs{"run", "--rate=100%", kAddress}));
  // A lone "%" at a word's end stays; "%%u" is the text %u, no field code.
  EXPECT_EQ(DesktopExecArguments(R"(run 50% "%%u")", kAddress), (TArgs{"run", "50%", "%u", kAddress}));
}

TEST(DesktopExecArguments, ExecWithoutFieldCodeGetsTheAddressAppended) {
  EXPECT_EQ(DesktopExecArguments("firefox-esr", kAddress), (TArgs{"firefox-esr", kAddress}));
  EXPECT_EQ(DesktopExecArguments("  browser   --new-tab  ", kAddress), (TArgs{"browser", "--new-tab", kAddress}));
  EXPECT_EQ(DesktopExecArguments("", kAddress), TArgs{});
  EXPECT_EQ(DesktopExecArguments("%i %d", kAddress), TArgs{});
}

TEST(DesktopExecArguments, EmptyQuotedArgumentsStay) {
  EXPECT_EQ(DesktopExecArguments(R"(browser --profile "" %u)", kAddress), (TArgs{"browser", "--profile", "", kAddress}));
  EXPECT_EQ(DesktopExecArguments(R"(browser "" "%d")", kAddress), (TArgs{"browser", "", kAddress}));
}

// A program written as a field code would start the address (or the name,
// or the icon) as a program: such an entry counts as no entry.
TEST(DesktopExecArguments, ProgramWrittenAsAFieldCodeIsRefused) {
  const TDesktopEntryInfo entry{"web-icon", "Web", "/usr/share/applications/web.desktop"};
  EXPECT_EQ(DesktopExecArguments("%u", kAddress), TArgs{});
  EXPECT_EQ(DesktopExecArguments(R"("%U" --new-tab)", kAddress), TArgs{});
  EXPECT_EQ(DesktopExecArguments("%c %u", kAddress, entry), TArgs{});
  EXPECT_EQ(DesktopExecArguments("%k", kAddress, entry), TArgs{});
  EXPECT_EQ(DesktopExecArguments("%i browser %u", kAddress, entry), TArgs{});
  EXPECT_EQ(DesktopExecArguments("%i browser %u", kAddress), (TArgs{"browser", kAddress}));
  EXPECT_EQ(ProgramFromDesktopExec("%u"), "");
}

TEST(DesktopExecArguments, AddressIsOneArgumentWhateverItHolds) {
  const std::string odd = "http://a.test/x y?q=\"z\" 'w' $HOME `id` %u\\n;rm -rf /";
  EXPECT_EQ(DesktopExecArguments("browser %u", odd), (TArgs{"browser", odd}));
  EXPECT_EQ(DesktopExecArguments("browser", odd), (TArgs{"browser", odd}));
  EXPECT_EQ(DesktopExecArguments(R"(browser "%U")", odd), (TArgs{"browser", odd}));
}

// The registered entry found through the XDG folders, end to end.
TEST(FindHttpBrowserCommand, ReadsTheAssociatedEntry) {
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("halvane-browser-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "config");
  std::filesystem::create_directories(root / "data/applications");
  std::ofstream(root / "config/mimeapps.list") << "[Default Applications]\nx-scheme-handler/http=snap.desktop;\n";
  std::ofstream(root / "data/applications/snap.desktop")
      << "[Desktop Entry]\nName=Web\nIcon=web\nExec=env HINT=1 /snap/bin/web %i %u\n";
  ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  ::setenv("XDG_CONFIG_DIRS", (root / "none").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", (root / "none").c_str(), 1);
  const auto command = FindHttpBrowserCommand("http://a.test/ b");
  std::filesystem::remove_all(root);
  ASSERT_TRUE(command);
  EXPECT_EQ(*command, (TArgs{"env", "HINT=1", "/snap/bin/web", "--icon", "web", "http://a.test/ b"}));
}

}  // namespace
}  // namespace halvane::platform
