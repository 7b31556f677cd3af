#pragma once
// A link label: caption and address; a click opens the address with the
// shell's "open" verb. Arial 12 pixels, underlined, blue under the mouse.
#include <QLabel>

#include <string>
#include <string_view>

namespace halvane {

class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(QWidget* parent = nullptr);

  // The label grows or shrinks to its caption; a right-aligned label keeps
  // its right edge.
  void SetCaption(std::string_view caption);
  std::string Caption() const { return FCaption; }
  void SetAddress(std::string_view address) { FAddress = address; }
  const std::string& Address() const { return FAddress; }

 signals:
  void Clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void SetHot(bool hot);

  std::string FCaption;
  std::string FAddress;
  bool FPressed = false;
};

}  // namespace halvane
