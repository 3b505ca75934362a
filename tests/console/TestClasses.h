#pragma once

// The console's window tests are QtTest classes in one program; each
// source file adds its classes here, and the program's main runs them all.
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lettore::test {

using TestClassFactory = std::function<std::unique_ptr<QObject>()>;

inline std::vector<TestClassFactory>& testClasses()
{
    static std::vector<TestClassFactory> classes;
    return classes;
}

template <typename TestClass>
struct AddTestClass {
    AddTestClass() { testClasses().push_back([] { return std::make_unique<TestClass>(); }); }
};

// The sounds the console asked for, in order: file and whether asynchronous.
extern std::vector<std::pair<std::string, bool>> played;

}  // namespace lettore::test
