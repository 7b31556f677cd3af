#pragma once
// Small helpers for tests that drive the main window's news and update
// steps.
#include <QTimer>

#include <string>
#include <vector>

#include "TMessageBox.h"
#include "TfrmMain.h"

namespace halvane::test {

// The start-up check stays out of the way of the step under test.
inline TfrmMain& Quiet(TfrmMain& frm) {
  frm.Timer1->stop();
  return frm;
}

// The texts msgMain has shown, in order.
inline std::vector<std::string> Texts(const TMessageBox& box) {
  std::vector<std::string> texts;
  for (const TShownMessage& m : box.Shown()) texts.push_back(m.Text);
  return texts;
}

}  // namespace halvane::test
