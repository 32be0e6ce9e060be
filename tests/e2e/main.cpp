#include <gtest/gtest.h>

#include <QCoreApplication>

// Links, servers and child programs run on an event loop: every test shares one application.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
