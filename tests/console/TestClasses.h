#pragma once

// The console's window tests: QtTest classes in one program, each source file adding its classes here.
#include <QObject>
#include <QTest>

#include <functional>
#include <memory>

namespace lettore::test {

inline std::vector<std::function<std::unique_ptr<QObject>()>>& testClasses()
{
    static std::vector<std::function<std::unique_ptr<QObject>()>> classes;
    return classes;
}

template <typename TestClass>
struct AddTestClass {
    AddTestClass() { testClasses().push_back([] { return std::make_unique<TestClass>(); }); }
};

// A QtTest table of one column, "row", from named rows.
template <typename Row>
void addRows(std::initializer_list<std::pair<const char*, Row>> rows)
{
    QTest::addColumn<Row>("row");
    for (const auto& [name, row] : rows)
        QTest::newRow(name) << row;
}

extern std::vector<std::pair<std::string, bool>> played;  // the sounds asked for: file, asynchronous

}  // namespace lettore::test
