#include "support/db/test_database.h"

#include "app/schema/database_builder.h"
#include "app/schema/schema_scripts.h"
#include "app/schema/schema_updates.h"
#include "db/script.h"
#include "db/statement.h"
#include "db/db_value.h"
#include "db/transaction.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRandomGenerator>

#include <stdexcept>

namespace testsupport {

namespace {

// Raised when the way templates are made changes without a change of the
// scripts.
constexpr int kTemplateFormat = 1;

const char* const kSampleRows = R"sql(
INSERT INTO COUNTRIES (ID, CODE, NAME, NAME_ENG) VALUES (1, 'BG', 'България', 'Bulgaria');
INSERT INTO COUNTRIES (ID, CODE, NAME, NAME_ENG) VALUES (2, 'DE', 'Германия', 'Germany');
INSERT INTO CITIES (ID, COUNTRY_ID, NAME, NAME_ENG, POST_CODE) VALUES (1, 1, 'София', 'Sofia', '1000');
INSERT INTO CITIES (ID, COUNTRY_ID, NAME, NAME_ENG, POST_CODE) VALUES (2, 2, 'Мюнхен', 'Munich', '80331');
INSERT INTO CLIENTS (ID, NAME, COUNTRY, CITY, ADDRESS, CLIENT_BGINT_TYPE, CLIENT_TYPE)
  VALUES (1, 'Клиент ООД', 1, 1, 'ул. Първа 1', 1, 0);
INSERT INTO KARVONELS (ID, NAME, COUNTRY, CITY, ADDRESS, KARVONEL_BGINT_TYPE, KARVONEL_TYPE)
  VALUES (1, 'Превозвач ЕООД', 1, 1, 'ул. Втора 2', 1, 1);
INSERT INTO TRUCK_TYPES (ID, NAME, NAME_ENG, SEC_L, SEC_W, SEC_H, STANDARD, CEMT)
  VALUES (1, 'Композиция', 'Truck and trailer', 13.6, 2.45, 2.7, 0, 0);
INSERT INTO LOAD_CHARGE_TYPES (ID, NAME) VALUES (1, 'Митница');
UPDATE COUNTERS SET VAL = 3 WHERE ID IN (1, 9);
UPDATE COUNTERS SET VAL = 2 WHERE ID IN (2, 8, 43, 50);
)sql";

QString testRoot()
{
    const QString dir = QProcessEnvironment::systemEnvironment().value(QStringLiteral("KARVONEL_TEST_DIR"));
    const QString root = dir.isEmpty() ? QDir::tempPath() + QStringLiteral("/karvonel-tests") : dir;
    QDir().mkpath(root);
    return root;
}

QString contentName(TestDatabase::Content content)
{
    switch (content) {
    case TestDatabase::Content::Empty:
        return QStringLiteral("empty");
    case TestDatabase::Content::InitialData:
        return QStringLiteral("data");
    case TestDatabase::Content::SampleRows:
        return QStringLiteral("sample");
    }
    return {};
}

// Everything a template is made of.
QByteArray templateKey(int version, TestDatabase::Content content)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    auto add = [&h](const QString& s) {
        h.addData(s.toUtf8());
        h.addData(QByteArrayView("\0", 1));
    };
    add(QString::number(kTemplateFormat));
    for (const QString& p : schema::BaseScripts() + schema::DataScripts()) {
        add(p);
        add(schema::ScriptText(p));
    }
    for (const schema::UpdateStep& step : schema::UpdateSteps()) {
        add(QString::number(step.threshold));
        for (const schema::UpdateScript& s : step.scripts) {
            add(s.path);
            add(QString::number(int(s.skipWhen.kind)) + s.skipWhen.object + u'.' + s.skipWhen.column);
            add(schema::ScriptText(s.path));
        }
    }
    add(QString::fromUtf8(kSampleRows));
    return h.result().toHex().left(16);
}

void buildTemplate(const QString& file, int version, TestDatabase::Content content)
{
    const QString temp = QStringLiteral("%1.%2.%3.tmp")
                             .arg(file)
                             .arg(QCoreApplication::applicationPid())
                             .arg(QRandomGenerator::global()->generate());
    QFile::remove(temp);
    schema::BuildDatabase(temp, {version, content != TestDatabase::Content::Empty, false});
    if (content == TestDatabase::Content::SampleRows) {
        db::ConnectionParams params;
        params.database = temp;
        db::Attachment att;
        att.attach(params);
        db::Transaction tr(att);
        db::runScript(att, tr, QString::fromUtf8(kSampleRows));
        tr.commit();
        att.detach();
    }
    // Another process may have made the same template meanwhile: both are equal.
    if (!QFile::rename(temp, file)) {
        QFile::remove(temp);
        if (!QFileInfo::exists(file))
            throw std::runtime_error("cannot store the template database " + file.toStdString());
    }
}

}  // namespace

QString TemplateDatabase(TestDatabase::Version version, TestDatabase::Content content)
{
    const QString dir = testRoot() + QStringLiteral("/db-templates");
    QDir().mkpath(dir);
    const int v = int(version);
    const QString file = QStringLiteral("%1/%2-%3-%4.fdb")
                             .arg(dir)
                             .arg(v)
                             .arg(contentName(content), QString::fromLatin1(templateKey(v, content)));
    if (!QFileInfo::exists(file)) {
        buildTemplate(file, v, content);
        // Templates of older scripts are of no further use.
        const QString prefix = QStringLiteral("%1-%2-").arg(v).arg(contentName(content));
        for (const QFileInfo& old : QDir(dir).entryInfoList({prefix + QStringLiteral("*.fdb")}, QDir::Files))
            if (old.absoluteFilePath() != QFileInfo(file).absoluteFilePath())
                QFile::remove(old.absoluteFilePath());
    }
    return file;
}

TestDatabase::TestDatabase(Version version, Content content)
    : dir_(testRoot() + QStringLiteral("/db-XXXXXX"))
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot make a temporary folder for a test database");
    path_ = dir_.filePath(QStringLiteral("test.fdb"));
    const QString source = TemplateDatabase(version, content);
    if (!QFile::copy(source, path_))
        throw std::runtime_error("cannot copy the template database " + source.toStdString());
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
}

TestDatabase::~TestDatabase()
{
    detach();
}

db::ConnectionParams TestDatabase::params() const
{
    db::ConnectionParams p;
    p.database = path_;
    p.user = QStringLiteral("SYSDBA");
    return p;
}

db::Attachment& TestDatabase::attach()
{
    if (!att_) {
        att_ = std::make_unique<db::Attachment>();
        att_->attach(params());
    } else if (!att_->isAttached()) {
        att_->attach(params());
    }
    return *att_;
}

void TestDatabase::detach()
{
    if (att_)
        att_->detach();
    att_.reset();
}

std::unique_ptr<db::Attachment> TestDatabase::newAttachment() const
{
    auto att = std::make_unique<db::Attachment>();
    att->attach(params());
    return att;
}

void TestDatabase::exec(const QString& sql)
{
    db::Attachment& att = attach();
    db::Transaction tr(att);
    db::Statement st(att, tr, sql);
    st.execute();
    tr.commit();
}

QVariant TestDatabase::value(const QString& sql)
{
    db::Attachment& att = attach();
    db::Transaction tr(att);
    QVariant result;
    {
        db::Statement st(att, tr, sql);
        db::Cursor c = st.open();
        if (c.fetch())
            result = c.value(0);
    }
    tr.commit();
    return result;
}

void Exec(const QString& path, const QString& sql)
{
    db::ConnectionParams p;
    p.database = path;
    db::Attachment att;
    att.attach(p);
    db::Transaction tr(att);
    att.executeImmediate(tr, sql);
    tr.commit();
}

std::optional<QString> Value(const QString& path, const QString& sql)
{
    db::ConnectionParams p;
    p.database = path;
    db::Attachment att;
    att.attach(p);
    db::Transaction tr(att);
    std::optional<QString> result;
    {
        db::Statement st(att, tr, sql);
        db::Cursor c = st.open();
        if (c.fetch())
            result = db::isNull(c.value(0)) ? QString() : c.value(0).toString();
    }
    tr.commit();
    return result;
}

}  // namespace testsupport
