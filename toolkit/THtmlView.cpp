#include "toolkit/THtmlView.h"

#include "toolkit/TShell.h"
#include "markup/BoundHtml.h"
#include "toolkit/TextConvert.h"

namespace halvane {

THtmlView::THtmlView(QWidget* parent) : QTextBrowser(parent) {
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setReadOnly(true);
  setUndoRedoEnabled(false);
  connect(this, &QTextBrowser::anchorClicked, this, &THtmlView::OnAnchorClicked);
}

// Bounded first: deep nesting, many elements or a large document would make
// the layout take minutes, gigabytes, or the whole stack.
void THtmlView::LoadHtml(std::string_view html) { setHtml(ToQString(markup::BoundHtml(html))); }

// An empty but non-null answer: a null one would make the document read
// local files and data: addresses by itself.
QVariant THtmlView::loadResource(int, const QUrl&) { return QVariant(QByteArray()); }

void THtmlView::OnAnchorClicked(const QUrl& link) {
  const QString address = link.toString();
  emit LinkOpened(address);
  TShell::OpenInBrowser(FromQString(address));
}

}  // namespace halvane
