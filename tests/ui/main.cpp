// Runs the tests inside a QGuiApplication, as the play field runs in the game.
#include <QGuiApplication>
#include <QtGlobal>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The test properties set this; a direct run from a shell without a display
    // should work too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
