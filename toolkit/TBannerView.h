#pragma once
// Still and animated banner views. The picture comes from bytes with the
// decoder named by a file name's extension; the view sizes itself to it.
#include <QByteArray>
#include <QLabel>

#include <string_view>

class QBuffer;
class QMovie;

namespace halvane {

class TBannerView : public QLabel {
  Q_OBJECT

 public:
  enum class TKind { Still, Animated };

  TBannerView(TKind kind, QWidget* parent = nullptr);
  ~TBannerView() override;

  TKind Kind() const { return FKind; }

  // Qt image format for the extension of fileName ("jpeg" for .jpg and
  // .jpeg); empty when the program has no decoder for it.
  static QByteArray FormatForFileName(std::string_view fileName);

  // Decodes bytes as format (content sniffing is off: the extension
  // decides). False, and no picture, when they do not decode.
  bool LoadPicture(const QByteArray& bytes, const QByteArray& format);
  void ClearPicture();
  bool HasPicture() const { return FHasPicture; }
  bool IsAnimating() const;

  // Pictures larger than this on either side are refused.
  static constexpr int kMaxSide = 8192;

 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool LoadStill(const QByteArray& bytes, const QByteArray& format);
  bool LoadAnimated(const QByteArray& bytes);

  TKind FKind;
  bool FHasPicture = false;
  bool FPressed = false;
  QBuffer* FBuffer = nullptr;
  QMovie* FMovie = nullptr;
};

}  // namespace halvane
