#pragma once

// Small helpers of the settings tests: a temporary folder, file bytes and
// the fixtures under data/.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace settings_test {

inline QString DataFile(const QString &name)
{
    return QStringLiteral(KARVONEL_SOURCE_DIR "/tests/framework/settings/data/") + name;
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read " << path.toStdString();
    return f.readAll();
}

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// A temporary folder under the test build's folder, removed afterwards.
class TempDir
{
public:
    TempDir() : FDir(Base() + QStringLiteral("/settings-XXXXXX")) {}
    QString Path(const QString &name) const { return FDir.path() + QLatin1Char('/') + name; }
    QString Path() const { return FDir.path(); }

private:
    static QString Base()
    {
        QString base = qEnvironmentVariable("KARVONEL_TEST_DIR");
        if (base.isEmpty())
            base = QDir::tempPath();
        QDir().mkpath(base);
        return base;
    }
    QTemporaryDir FDir;
};

} // namespace settings_test
