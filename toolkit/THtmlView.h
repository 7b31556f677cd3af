#pragma once
// HTML view for documents that come from outside (welcome pages, news
// bodies): shows a whole document given as text, never loads anything it
// names, and opens clicked links in the web browser.
#include <QTextBrowser>

#include <string_view>

namespace halvane {

class THtmlView : public QTextBrowser {
  Q_OBJECT

 public:
  explicit THtmlView(QWidget* parent = nullptr);

  // html is in the system code page (or UTF-8); it replaces the document,
  // bounded in size, nesting and element count (markup::BoundHtml).
  void LoadHtml(std::string_view html);

  // Every image, style sheet or frame the document names stays unloaded.
  QVariant loadResource(int type, const QUrl& name) override;

 signals:
  void LinkOpened(const QString& address);

 private:
  void OnAnchorClicked(const QUrl& link);
};

}  // namespace halvane
