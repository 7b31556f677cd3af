#include "platform/Browser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace halvane::platform {
namespace {

// A private XDG world with a fake browser that records its arguments.
class OpenInBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/halvane-browser-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    fs::create_directories(root_ / "config");
    fs::create_directories(root_ / "data/applications");
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS", "HOME"}) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (root_ / "sysconfig").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (root_ / "sysdata").c_str(), 1);
    ::setenv("HOME", root_.c_str(), 1);
  }

  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
    fs::remove_all(root_);
  }

  void RegisterFakeBrowser(const std::string& execBefore = "", const std::string& execAfter = " %u") {
    const fs::path script = root_ / "fake browser.sh";
    {
      std::ofstream out(script);
      out << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n--\\n' \"$a\"; done > '" << Record().string()
          << ".part'\nmv '" << Record().string() << ".part' '" << Record().string() << "'\n";
    }
    fs::permissions(script, fs::perms::owner_all);
    std::ofstream(root_ / "data/applications/fake.desktop")
        << "[Desktop Entry]\nType=Application\nName=Fake\nExec=" << execBefore << "\"" << script.string() << "\"" << execAfter << "\n";
    std::ofstream(root_ / "config/mimeapps.list")
        << "[Added Associations]\nx-scheme-handler/http=other.desktop;\n"
        << "[Default Applications]\nx-scheme-handler/http=missing.desktop;fake.desktop;\n";
  }

  fs::path Record() const { return root_ / "record.txt"; }

  std::string WaitForRecord() const {
    for (int i = 0; i < 500 && !fs::exists(Record()); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(Record());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path root_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(OpenInBrowserTest, NoRegisteredBrowserStartsNothing) {
  EXPECT_FALSE(OpenInBrowser("http://example.test/"));
}

TEST_F(OpenInBrowserTest, HostileAddressArrivesAsOneUnchangedArgument) {
  RegisterFakeBrowser();
  const std::string pwned = (root_ / "pwned").string();
  const std::string address = "http://x.test/a b;touch " + pwned + "1 $(touch " + pwned + "2) `touch " +
                              pwned + "3` '\"|&>" + pwned + "4";
  ASSERT_TRUE(OpenInBrowser(address));
  EXPECT_EQ(WaitForRecord(), address + "\n--\n");
  for (int i = 1; i <= 4; ++i) EXPECT_FALSE(fs::exists(pwned + std::to_string(i))) << i;
}

// As Ubuntu's snap entries start it: through env, with a variable first.
TEST_F(OpenInBrowserTest, EntryStartingThroughEnvGetsTheWholeCommand) {
  RegisterFakeBrowser("env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/fake.desktop ",
                      " --new-window %U --last");
  const std::string address = "http://x.test/a b";
  ASSERT_TRUE(OpenInBrowser(address));
  EXPECT_EQ(WaitForRecord(), "--new-window\n--\n" + address + "\n--\n--last\n--\n");
}

TEST_F(OpenInBrowserTest, EmptyAddressStillStartsTheBrowser) {
  RegisterFakeBrowser();
  ASSERT_TRUE(OpenInBrowser(""));
  EXPECT_EQ(WaitForRecord(), "\n--\n");
}

}  // namespace
}  // namespace halvane::platform
