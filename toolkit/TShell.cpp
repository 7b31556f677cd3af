#include "toolkit/TShell.h"

#include "platform/Process.h"
#include "platform/Browser.h"

namespace halvane {
namespace {

TShell::TOpener& BrowserOpener() {
  static TShell::TOpener opener;
  return opener;
}

TShell::TOpener& DocumentOpener() {
  static TShell::TOpener opener;
  return opener;
}

}  // namespace

bool TShell::OpenInBrowser(std::string_view address) {
  if (BrowserOpener()) return BrowserOpener()(std::string(address));
  return platform::OpenInBrowser(address);
}

bool TShell::OpenDocument(std::string_view address) {
  if (DocumentOpener()) return DocumentOpener()(std::string(address));
  return platform::OpenWithDesktop(std::string(address));
}

void TShell::SetOpeners(TOpener browser, TOpener document) {
  BrowserOpener() = std::move(browser);
  DocumentOpener() = std::move(document);
}

}  // namespace halvane
