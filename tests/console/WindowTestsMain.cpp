// The console's window tests on Qt's offscreen platform: every test class in
// turn, each test function on a fixture of its own. The reading chime is
// recorded, not played.
#include "TestClasses.h"
#include "modLettori.h"

#include <QApplication>
#include <QTest>

namespace lettore::test {

std::vector<std::pair<std::string, bool>> played;

}  // namespace lettore::test

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    lettore::installPlatform({{}, nullptr, {}, [](const std::string& file, bool async) {
                                  lettore::test::played.emplace_back(file, async);
                              }});
    int failed = 0;
    for (const auto& make : lettore::test::testClasses()) {
        const std::unique_ptr<QObject> tests = make();
        failed += QTest::qExec(tests.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
