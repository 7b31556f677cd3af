#pragma once
// The one modal message box of the program (msgMain). In test mode nothing
// is shown: answers come from a queue and every message is recorded.
#include <QObject>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace halvane {

enum class TMsgKind { Information, Warning };
enum class TMsgButtons { Ok, OkCancel, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

struct TShownMessage {
  std::string Text;
  TMsgKind Kind;
  TMsgButtons Buttons;
};

class TMessageBox : public QObject {
  Q_OBJECT

 public:
  explicit TMessageBox(QWidget* owner);

  // Modal; text is in the system code page.
  TMsgResult Execute(std::string_view text, TMsgKind kind, TMsgButtons buttons);

  void SetTestMode(bool on) { FTestMode = on; }
  // Answer for the next message; without a queued answer a test-mode box
  // answers OK (Yes to a yes/no question).
  void QueueAnswer(TMsgResult answer) { FAnswers.push_back(answer); }
  const std::vector<TShownMessage>& Shown() const { return FShown; }
  void ClearShown() { FShown.clear(); }

 private:
  QWidget* FOwner;
  bool FTestMode = false;
  std::deque<TMsgResult> FAnswers;
  std::vector<TShownMessage> FShown;
};

}  // namespace halvane
