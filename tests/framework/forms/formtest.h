#pragma once

// Shared pieces of the form tests: a settings store in a temporary folder.

#include "framework/settings/settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

class SettingsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        CreateAppSettings(FDir.filePath("test.xdb"));
    }
    void TearDown() override { DestroyAppSettings(); }

    QTemporaryDir FDir;
};
