// Runs the test object named first on the command line (the rest goes to Qt
// Test), or every registered one when none is named.
#include "test_main.h"

#include <QTest>

#ifdef QUILLON_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <cstdio>
#include <vector>

namespace quillon::test {
std::map<std::string, Factory>& Registry()
{
    static std::map<std::string, Factory> registry;
    return registry;
}
}  // namespace quillon::test

int main(int argc, char* argv[])
{
    TestApplication app(argc, argv);
    auto& registry = quillon::test::Registry();
    std::vector<char*> rest{argv[0]};
    std::string only;
    if (argc > 1 && registry.count(argv[1])) {
        only = argv[1];
        rest.insert(rest.end(), argv + 2, argv + argc);
    } else {
        rest.insert(rest.end(), argv + 1, argv + argc);
    }
    int failed = 0;
    for (const auto& [name, make] : registry) {
        if (!only.empty() && name != only)
            continue;
        const auto object = make();
        failed += QTest::qExec(object.get(), static_cast<int>(rest.size()), rest.data());
    }
    return failed == 0 ? 0 : 1;
}
