// Shared main of every test program: a headless Qt application, then GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Tests never need a display; CTest sets this too, but a test program run
    // by hand (or listed at build time) must not try to reach an X server.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Sites written by tests must never reach the keyring of the desktop the
    // tests run on: an empty bus address means no keyring, for the test and
    // the programs it starts. The keyring test brings a private one.
    if (!qEnvironmentVariableIsSet("VESK_TEST_KEYRING"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
