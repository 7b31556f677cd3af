#include "tests/toolkit/QtTestMain.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace halvane::test {

std::vector<std::function<QObject*()>>& TestClasses() {
  static std::vector<std::function<QObject*()>> classes;
  return classes;
}

}  // namespace halvane::test

// HALVANE_TEST_CLASSES=A,B runs only those test classes (all of them
// when unset); the other arguments go to every class as QtTest reads them.
int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList only = qEnvironmentVariable("HALVANE_TEST_CLASSES").split(u',', Qt::SkipEmptyParts);
  int failed = 0;
  for (const auto& make : halvane::test::TestClasses()) {
    std::unique_ptr<QObject> test(make());
    if (!only.isEmpty() && !only.contains(QString::fromLatin1(test->metaObject()->className()))) continue;
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
