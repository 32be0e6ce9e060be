// GoogleTest over one Qt application for the whole program: the links, sockets and child programs
// run on its event loop. KORVAL_TEST_WIDGETS makes it a QApplication in the Fusion style on the
// offscreen platform (unless one is set), for tests that paint or open windows.
#include <gtest/gtest.h>

#ifdef KORVAL_TEST_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
#ifdef KORVAL_TEST_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
