#include <gtest/gtest.h>

#include <QGuiApplication>

// The web view draws maps (fonts need a GUI application; CTest runs it on the offscreen platform)
// and runs its server on the event loop: every test shares one application.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (as the build does to find them) needs no window system.
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
