#include "THtmlView.h"

#include "TShell.h"
#include "TextConvert.h"

namespace halvane {

THtmlView::THtmlView(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setReadOnly(true);
  setUndoRedoEnabled(false);
  connect(this, &QTextBrowser::anchorClicked, this, &THtmlView::OnAnchorClicked);
}

void THtmlView::LoadHtml(std::string_view html) { setHtml(ToQString(html)); }

// An empty but non-null answer: a null one would make the document read
// local files and data: addresses by itself.
QVariant THtmlView::loadResource(int, const QUrl&) { return QVariant(QByteArray()); }

void THtmlView::OnAnchorClicked(const QUrl& link) {
  const QString address = link.toString();
  emit LinkOpened(address);
  TShell::OpenInBrowser(FromQString(address));
}

}  // namespace halvane
