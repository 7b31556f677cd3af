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
    if (FAnswers.empty()) return TMsgResult::Ok;
    const TMsgResult answer = FAnswers.front();
    FAnswers.pop_front();
    return buttons == TMsgButtons::Ok ? TMsgResult::Ok : answer;
  }
  QPointer<QMessageBox> box = new QMessageBox(FOwner);
  box->setObjectName(QStringLiteral("msgMain"));
  box->setIcon(kind == TMsgKind::Warning ? QMessageBox::Warning : QMessageBox::Information);
  box->setWindowTitle(FOwner ? FOwner->window()->windowTitle() : QString());
  box->setText(ToQString(text));
  box->setStandardButtons(buttons == TMsgButtons::Ok ? QMessageBox::Ok
                                                     : (QMessageBox::Ok | QMessageBox::Cancel));
  box->setDefaultButton(QMessageBox::Ok);
  const int pressed = box->exec();
  // The box may be gone if the owner was destroyed while it was open.
  if (box) box->deleteLater();
  return pressed == QMessageBox::Ok ? TMsgResult::Ok : TMsgResult::Cancel;
}

}  // namespace halvane
