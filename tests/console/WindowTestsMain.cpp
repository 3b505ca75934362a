// Runs every window test class offscreen, the reading chime recorded instead of played.
#include "TestClasses.h"
#include "modLettori.h"

#include <QApplication>
#include <QTest>

std::vector<std::pair<std::string, bool>> lettore::test::played;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    lettore::installPlatform({{}, nullptr, {}, [](const std::string& file, bool async) { lettore::test::played.emplace_back(file, async); }});
    int failed = 0;
    for (const auto& make : lettore::test::testClasses())
        failed += QTest::qExec(make().get(), argc, argv);
    return failed == 0 ? 0 : 1;
}
