#pragma once
// A fresh database with the sample rows, a data module connected to it and a
// settings store in a temporary folder.

#include "framework/data/basedm.h"
#include "framework/settings/settings.h"
#include "support/db/test_database.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString &Text, std::ostream *Out)
{
    *Out << '"' << Text.toStdString() << '"';
}

namespace liststest {

// Types Text into the widget key by key, as a keyboard would (any letters).
inline void TypeText(QWidget *Widget, const QString &Text)
{
    for (QChar c : Text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(Widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(Widget, &release);
    }
}

class ListsDbTest : public ::testing::Test
{
protected:
    ListsDbTest() : tdb(testsupport::TestDatabase::Version::Current, testsupport::TestDatabase::Content::SampleRows)
    {
        dm = std::make_unique<TBaseDM>();
        dm->ConnectPauseMs = 0;
        dm->IBDatabase.Params = tdb.params();
        if (!dm->Connect())
            throw std::runtime_error("cannot connect to the test database");
        CreateAppSettings(dir.filePath(QStringLiteral("lists.xdb")));
    }
    ~ListsDbTest() override
    {
        DestroyAppSettings();
        dm.reset();
    }

    // The countries with the sample's two and the given more (id, code, name).
    void AddCountries(const std::vector<std::tuple<int, QString, QString>> &Rows)
    {
        for (const auto &[id, code, name] : Rows)
            tdb.exec(QStringLiteral("insert into COUNTRIES (ID, CODE, NAME, NAME_ENG) values (%1, '%2', '%3', '%2')")
                         .arg(id)
                         .arg(code, name));
    }

    // A dataset over a table with its four writing statements.
    std::unique_ptr<TDataSet> Table(const QString &Select, const QString &Table, const QStringList &Columns,
                                    QObject *Parent = nullptr)
    {
        auto q = std::make_unique<TDataSet>(Parent);
        q->SetTransaction(&dm->IBTransaction);
        q->SetSelectSQL(Select);
        QStringList sets, params;
        for (const QString &c : Columns) {
            sets << c + QStringLiteral(" = :") + c;
            params << QLatin1Char(':') + c;
        }
        q->SetInsertSQL(QStringLiteral("insert into %1 (ID, %2) values (:ID, %3)")
                            .arg(Table, Columns.join(QStringLiteral(", ")), params.join(QStringLiteral(", "))));
        q->SetModifySQL(QStringLiteral("update %1 set %2 where ID = :OLD_ID").arg(Table, sets.join(QStringLiteral(", "))));
        q->SetDeleteSQL(QStringLiteral("delete from %1 where ID = :OLD_ID").arg(Table));
        q->SetRefreshSQL(QStringLiteral("select * from %1 where ID = :ID").arg(Table));
        return q;
    }

    std::unique_ptr<TDataSet> Countries(QObject *Parent = nullptr)
    {
        return Table(QStringLiteral("select * from COUNTRIES where (1=1) order by ID"), QStringLiteral("COUNTRIES"),
                     {QStringLiteral("CODE"), QStringLiteral("NAME"), QStringLiteral("NAME_ENG")}, Parent);
    }

    // What another station sees, committed.
    QVariant Seen(const QString &Sql)
    {
        dm->ProcessIdle();
        return tdb.value(Sql);
    }

    QTemporaryDir dir;
    testsupport::TestDatabase tdb;
    std::unique_ptr<TBaseDM> dm;
};

} // namespace liststest
