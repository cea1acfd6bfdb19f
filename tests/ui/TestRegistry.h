// Widget test classes register themselves here; main.cpp runs every one.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace sifta::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<TestFactory>& RegisteredTests() {
  static std::vector<TestFactory> tests;
  return tests;
}

template <typename T>
struct RegisterTest {
  RegisterTest() {
    RegisteredTests().push_back([] { return std::make_unique<T>(); });
  }
};

}  // namespace sifta::test

// In a test's .cpp, after the class: SIFTA_REGISTER_TEST(MyTest)
#define SIFTA_REGISTER_TEST(Class) static const ::sifta::test::RegisterTest<Class> registered##Class;
