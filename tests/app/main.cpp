#include "framework/settings/settings.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The store the windows keep their placement in, in a folder of its own.
    QTemporaryDir settingsDir;
    CreateAppSettings(settingsDir.filePath(QStringLiteral("app_tests.xdb")));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    DestroyAppSettings();
    return result;
}
