// The entry of the main window tests: headless unless told otherwise (test
// discovery runs without the test environment), with a settings store of
// their own.

#include "framework/settings/settings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    CreateAppSettings(settingsDir.filePath(QStringLiteral("main_window_tests.xdb")));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    DestroyAppSettings();
    return result;
}
