#pragma once
// The file save dialog. In test mode nothing is shown: the chosen paths (or
// a cancel) come from a queue and every request is recorded.
#include <QObject>

#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace halvane {

struct TSaveRequest {
  std::string Title;
  std::string Filter;  // "description|mask"
  std::string InitialPath;
};

class TSaveDialog : public QObject {
  Q_OBJECT

 public:
  explicit TSaveDialog(QWidget* owner);

  // filter is one "description|mask" entry. Returns the chosen full path,
  // or nothing when the user cancelled. The dialog remembers the last
  // chosen path and opens there the next time.
  std::optional<std::string> Execute(const std::string& title, const std::string& filter);

  void SetInitialPath(const std::string& path) { FInitialPath = path; }
  const std::string& InitialPath() const { return FInitialPath; }

  void SetTestMode(bool on) { FTestMode = on; }
  // Nothing means the user cancels; without a queued answer a test-mode
  // dialog cancels.
  void QueueAnswer(std::optional<std::string> path) { FAnswers.push_back(std::move(path)); }
  const std::vector<TSaveRequest>& Requests() const { return FRequests; }

 private:
  QWidget* FOwner;
  std::string FInitialPath;
  bool FTestMode = false;
  std::deque<std::optional<std::string>> FAnswers;
  std::vector<TSaveRequest> FRequests;
};

}  // namespace halvane
