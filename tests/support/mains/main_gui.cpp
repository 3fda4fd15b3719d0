// Test entry for window tests: a QApplication (offscreen platform, set by CTest) exists for the
// whole run.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // gtest_discover_tests runs this program at build time without CTest's environment; with
    // no platform chosen, use the offscreen one rather than look for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
