// Test main for the tests of the real program: a QApplication on the private
// X server when there is one, so that the test can show a window of its own
// there; else offscreen, where those tests skip. Also listing the tests must
// work without a display.
#include "tests/e2e/x_display.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", lexivoce::test::HasPrivateDisplay() ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
