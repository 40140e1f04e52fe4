#pragma once
// A program folder in a temporary directory with a copy of a test database
// as its karvonel.fdb, firebird.conf (the embedded engine) and its own
// settings file; the data module is pointed at it.

#include "app/startup_dialogs.h"
#include "app/tdm.h"
#include "framework/forms/messagerecorder.h"
#include "framework/settings/settings.h"
#include "support/db/test_database.h"
#include "support/settings_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace apptest {

// Statements on a database file that no data module holds open, and the
// settings file as it is on disk.
using testsupport::Exec;
using testsupport::SettingOnDisk;
using testsupport::Value;

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::copy(testsupport::TemplateDatabase(testsupport::TestDatabase::Version::Current,
                                                              testsupport::TestDatabase::Content::InitialData),
                                database()));
        QFile::setPermissions(database(), QFile::ReadOwner | QFile::WriteOwner);
        // Zone mode without protected zones: the start needs no log-in.
        Exec(database(), QStringLiteral("update APP_CONFIG set KEY_VALUE = '0' where KEY_ID = "
                                        "(select KEY_ID from APP_CONFIG_KEYS where NAME = 'AUTH_MODE')"));
        QFile conf(file(QStringLiteral("firebird.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    }

    QString file(const QString &name) const { return dir.filePath(name); }
    QString database() const { return file(QStringLiteral("karvonel.fdb")); }
    QString settingsFile() const { return file(QStringLiteral("karvonel.xdb")); }

    // The settings store of the folder, opened on first use.
    TXMLSettings &settings()
    {
        if (!store) {
            store = std::make_unique<TXMLSettings>();
            store->SetFileName(settingsFile());
            store->Open();
        }
        return *store;
    }

    // Points a data module at the folder, without pauses.
    template <class DM>
    DM &Prepare(DM &dm)
    {
        dm.SetProgramPath(file(QStringLiteral("karvonel")));
        dm.SetSettings(&settings());
        dm.StartupPauseMs = 0;
        dm.ConnectPauseMs = 0;
        return dm;
    }

    std::optional<QString> StoredVersion() const
    {
        return Value(database(), QStringLiteral("select KEY_VALUE from APP_CONFIG where KEY_ID = 101"));
    }

    QTemporaryDir dir;
    std::unique_ptr<TXMLSettings> store;
    TMessageRecorder messages;
    TErrorBoxRecorder boxes;
};

}  // namespace apptest
