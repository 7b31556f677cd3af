#include "QtTestMain.h"

#include <QApplication>
#include <QTest>

#include <memory>

namespace halvane::test {

std::vector<std::function<QObject*()>>& TestClasses() {
  static std::vector<std::function<QObject*()>> classes;
  return classes;
}

}  // namespace halvane::test

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int failed = 0;
  for (const auto& make : halvane::test::TestClasses()) {
    std::unique_ptr<QObject> test(make());
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
