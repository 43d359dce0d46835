// The Qt host's tests run offscreen, with one application object.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Never a display: also when ctest lists the tests.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
