// Tests that paint need a QGuiApplication for fonts; CTest runs them on the offscreen platform.
#include <gtest/gtest.h>

#include <QtGui/QGuiApplication>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does to find them) needs no window system.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
