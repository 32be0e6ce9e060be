#include <gtest/gtest.h>

#include <QCoreApplication>

// The sockets run on an event loop, so every test of this program shares one application object.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
