#include "toolkit/TSaveDialog.h"

#include <QFileDialog>
#include <QPointer>

#include "toolkit/TextConvert.h"

namespace halvane {

TSaveDialog::TSaveDialog(QWidget* owner) : QObject(owner), FOwner(owner) {}

std::optional<std::string> TSaveDialog::Execute(const std::string& title, const std::string& filter) {
  FRequests.push_back({title, filter, FInitialPath});
  std::optional<std::string> chosen;
  if (FTestMode) {
    if (!FAnswers.empty()) {
      chosen = FAnswers.front();
      FAnswers.pop_front();
    }
  } else {
    // "description|mask" becomes Qt's "description (mask)" unless the
    // description already names the mask.
    QString qtFilter = ToQString(filter);
    const qsizetype bar = qtFilter.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
      const QString description = qtFilter.left(bar);
      const QString mask = qtFilter.mid(bar + 1);
      qtFilter = description.contains(mask) ? description : description + QStringLiteral(" (") + mask + QLatin1Char(')');
    }
    QPointer<QFileDialog> dialog = new QFileDialog(FOwner, ToQString(title), PathToQString(FInitialPath), qtFilter);
    dialog->setObjectName(QStringLiteral("bsSkinSaveDialog1"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    // Overwriting is not asked about; the caller replaces the file.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!FInitialPath.empty()) dialog->selectFile(PathToQString(FInitialPath));
    const int result = dialog->exec();
    if (dialog) {
      if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        chosen = PathFromQString(dialog->selectedFiles().constFirst());
      dialog->deleteLater();
    }
  }
  if (chosen) FInitialPath = *chosen;
  return chosen;
}

}  // namespace halvane
