#include "toolkit/TMessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "toolkit/TextConvert.h"

namespace halvane {

TMessageBox::TMessageBox(QWidget* owner) : QObject(owner), FOwner(owner) {}

TMsgResult TMessageBox::Execute(std::string_view text, TMsgKind kind, TMsgButtons buttons) {
  FShown.push_back({std::string(text), kind, buttons});
  if (FTestMode) {
    if (FAnswers.empty()) return buttons == TMsgButtons::YesNoCancel ? TMsgResult::Yes : TMsgResult::Ok;
    const TMsgResult answer = FAnswers.front();
    FAnswers.pop_front();
    return buttons == TMsgButtons::Ok ? TMsgResult::Ok : answer;
  }
  QPointer<QMessageBox> box = new QMessageBox(FOwner);
  box->setObjectName(QStringLiteral("msgMain"));
  box->setIcon(kind == TMsgKind::Warning ? QMessageBox::Warning : QMessageBox::Information);
  box->setWindowTitle(FOwner ? FOwner->window()->windowTitle() : QString());
  box->setText(ToQString(text));
  switch (buttons) {
    case TMsgButtons::Ok: box->setStandardButtons(QMessageBox::Ok); break;
    case TMsgButtons::OkCancel: box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case TMsgButtons::YesNoCancel:
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  box->setDefaultButton(buttons == TMsgButtons::YesNoCancel ? QMessageBox::Yes : QMessageBox::Ok);
  const int pressed = box->exec();
  // The box may be gone if the owner was destroyed while it was open.
  if (box) box->deleteLater();
  switch (pressed) {
    case QMessageBox::Ok: return TMsgResult::Ok;
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    default: return TMsgResult::Cancel;
  }
}

}  // namespace halvane
