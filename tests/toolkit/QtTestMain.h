#pragma once
// Several QtTest classes in one executable: each file registers its class,
// the shared main runs them all under one QApplication.
#include <QObject>

#include <functional>
#include <vector>

namespace halvane::test {

std::vector<std::function<QObject*()>>& TestClasses();

struct TRegisterTest {
  explicit TRegisterTest(std::function<QObject*()> make) { TestClasses().push_back(std::move(make)); }
};

}  // namespace halvane::test

#define HALVANE_QTEST(Class) \
  static const ::halvane::test::TRegisterTest kRegister##Class([] { return static_cast<QObject*>(new Class); })
