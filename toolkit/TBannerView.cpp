#include "toolkit/TBannerView.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>

#include <string>

#include "branding/BannerFormat.h"

namespace halvane {

TBannerView::TBannerView(TKind kind, QWidget* parent) : QLabel(parent), FKind(kind) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setAutoFillBackground(false);
}

TBannerView::~TBannerView() { ClearPicture(); }

QByteArray TBannerView::FormatForFileName(std::string_view fileName) {
  return QByteArray::fromStdString(BannerFormatForExtension(fileName));
}

void TBannerView::ClearPicture() {
  if (FMovie) {
    FMovie->stop();
    setMovie(nullptr);
    delete FMovie;
    FMovie = nullptr;
  }
  delete FBuffer;
  FBuffer = nullptr;
  clear();
  FHasPicture = false;
}

bool TBannerView::IsAnimating() const { return FMovie && FMovie->state() == QMovie::Running; }

bool TBannerView::LoadPicture(const QByteArray& bytes, const QByteArray& format) {
  ClearPicture();
  if (format.isEmpty() || bytes.isEmpty()) return false;
  FHasPicture = FKind == TKind::Animated ? LoadAnimated(bytes) : LoadStill(bytes, format);
  return FHasPicture;
}

bool TBannerView::LoadStill(const QByteArray& bytes, const QByteArray& format) {
  QByteArray data = bytes;
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoDetectImageFormat(false);
  reader.setDecideFormatFromContent(false);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide)) return false;
  const QImage image = reader.read();
  if (image.isNull() || image.width() > kMaxSide || image.height() > kMaxSide) return false;
  setPixmap(QPixmap::fromImage(image));
  resize(image.size());
  return true;
}

bool TBannerView::LoadAnimated(const QByteArray& bytes) {
  FBuffer = new QBuffer();
  FBuffer->setData(bytes);
  FBuffer->open(QIODevice::ReadOnly);
  FMovie = new QMovie(FBuffer, "gif");
  if (!FMovie->isValid() || !FMovie->jumpToFrame(0)) {
    ClearPicture();
    return false;
  }
  const QSize size = FMovie->currentImage().size();
  if (size.isEmpty() || size.width() > kMaxSide || size.height() > kMaxSide) {
    ClearPicture();
    return false;
  }
  setMovie(FMovie);
  resize(size);
  FMovie->start();
  return true;
}

void TBannerView::mousePressEvent(QMouseEvent* event) {
  FPressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void TBannerView::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  FPressed = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit Clicked();
}

}  // namespace halvane
