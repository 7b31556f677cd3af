#pragma once
// Pictures of windows for a person to look at, kept as test artefacts under
// HALVANE_TEST_ARTIFACTS (not compared with anything).
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

#ifndef HALVANE_TEST_ARTIFACTS
#error "HALVANE_TEST_ARTIFACTS is set by the build"
#endif

namespace halvane::test {

// Saves a picture of window as name (a .png); false when nothing was drawn
// or the file could not be written. Pending paints are done first.
inline bool Capture(QWidget& window, const char* name) {
  QApplication::processEvents();
  QDir().mkpath(QStringLiteral(HALVANE_TEST_ARTIFACTS));
  const QPixmap picture = window.grab();
  if (picture.isNull() || picture.width() < 100 || picture.height() < 50) return false;
  const QString path = QStringLiteral(HALVANE_TEST_ARTIFACTS "/") + QString::fromLatin1(name);
  if (!picture.save(path, "PNG")) return false;
  qInfo("saved %s", qPrintable(path));
  return true;
}

}  // namespace halvane::test
