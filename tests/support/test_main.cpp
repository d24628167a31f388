// Test main for the tests that need no widgets: a QCoreApplication, so that
// Qt's file and text classes behave as in the program.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
