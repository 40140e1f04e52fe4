// The settings file on disk: the exact bytes written, loading (trimming,
// damage), and saving (failures, read-only files, mode, atomic replacement).

#include "framework/settings/settings.h"
#include "framework/text/win1251.h"
#include "support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace settings_test;

namespace {

// A store over path, opened.
std::unique_ptr<TXMLSettings> OpenStore(const QString &path)
{
    auto s = std::make_unique<TXMLSettings>();
    s->SetFileName(path);
    s->Open();
    return s;
}

mode_t FileMode(const QString &path)
{
    struct stat st;
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return st.st_mode & 0777;
}

} // namespace

TEST(SettingsFile, WritesTheExpectedBytes)
{
    struct Case
    {
        const char *expected;
        const char *input; // loaded first when given
        std::function<void(TXMLSettings &)> build;
    };
    const Case cases[] = {
        {"a_b_x.xml", nullptr, [](TXMLSettings &s) { s.WriteString("a\\b", "x"); }},
        {"values.xml", nullptr,
         [](TXMLSettings &s) {
             s.WriteString("lt", "a<b");
             s.WriteString("gt", "x>y");
             s.WriteString("amp", "Tom & Jerry \"quoted\"");
             s.WriteString("split", "a]]>b");
             s.WriteString("empty", "");
             s.WriteInteger("num", -42);
             s.WriteBool("flag", true);
         }},
        {"cyrillic.xml", nullptr,
         [](TXMLSettings &s) { s.WriteString("clientinfo\\company", QStringLiteral("Карвонел ЕООД")); }},
        {"attributes.xml", "attributes_in.xml", [](TXMLSettings &) {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        TempDir dir;
        const QString path = dir.Path("k.xdb");
        if (c.input)
            WriteBytes(path, ReadBytes(DataFile(c.input)));
        auto s = OpenStore(path);
        c.build(*s);
        s->Flush();
        EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile(c.expected)));
    }
}

TEST(SettingsFile, ExpectedFilesLoadAndSaveUnchanged)
{
    for (const char *name : {"a_b_x.xml", "values.xml", "cyrillic.xml", "attributes.xml"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        const QString path = dir.Path("k.xdb");
        WriteBytes(path, ReadBytes(DataFile(name)));
        auto s = OpenStore(path);
        EXPECT_EQ(s->Document()->ErrorText(), QString());
        s->Flush();
        EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile(name)));
    }
}

TEST(SettingsFile, ValuesReadBackUnchanged)
{
    TempDir dir;
    WriteBytes(dir.Path("v.xdb"), ReadBytes(DataFile("values.xml")));
    WriteBytes(dir.Path("c.xdb"), ReadBytes(DataFile("cyrillic.xml")));
    auto s = OpenStore(dir.Path("v.xdb"));
    EXPECT_EQ(s->ReadString("lt", "-"), "a<b");
    EXPECT_EQ(s->ReadString("gt", "-"), "x>y");
    EXPECT_EQ(s->ReadString("amp", "-"), "Tom & Jerry \"quoted\"");
    EXPECT_EQ(s->ReadString("split", "-"), "a]]>b");
    EXPECT_EQ(s->ReadInteger("num", 0), -42);
    EXPECT_TRUE(s->ReadBool("flag", false));

    auto c = OpenStore(dir.Path("c.xdb"));
    EXPECT_EQ(c->ReadString("clientinfo\\company", "-"), QStringLiteral("Карвонел ЕООД"));
}

TEST(SettingsFile, LoadTrimsTextAndKeepsEmptyAndRepeatedElements)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    WriteBytes(path, ReadBytes(DataFile("trim.xml")));
    auto s = OpenStore(path);
    EXPECT_EQ(s->ReadString("v", "-"), "x  y");
    EXPECT_EQ(s->ReadString("c", "-"), "<b>");
    // An element with empty text exists: "" and 0, not the defaults.
    for (const char *key : {"e", "s"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(s->ReadString(key, "default"), "");
        EXPECT_EQ(s->ReadInteger(key, 7), 0);
        EXPECT_FALSE(s->ReadBool(key, true));
    }
    // The first of two equal elements is read and written.
    EXPECT_EQ(s->ReadString("twice", "-"), "first");
    s->WriteString("twice", "new");
    // A stored 2 is not true; a missing key gives the default.
    EXPECT_FALSE(s->ReadBool("two", true));
    EXPECT_EQ(s->ReadInteger("two", 0), 2);
    EXPECT_TRUE(s->ReadBool("missing", true));
    s->Flush();
    const QByteArray saved = ReadBytes(path);
    EXPECT_TRUE(saved.contains("  <twice>new</twice>\r\n  <twice>second</twice>\r\n")) << saved.constData();
    EXPECT_TRUE(saved.contains("  <v>x  y</v>\r\n")) << saved.constData();
}

TEST(SettingsFile, DamagedFileLosesOnlyWhatFollowsTheDamage)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    WriteBytes(path, ReadBytes(DataFile("damaged.xml")));
    auto s = OpenStore(path);
    EXPECT_EQ(s->ReadString("db_server\\host", "-"), "srv1");
    EXPECT_EQ(s->ReadString("db_server\\user", "-"), "ANNA");
    EXPECT_NE(s->FindKey("broken"), nullptr);
    EXPECT_EQ(s->ReadString("lastLogin", "none"), "none");
    EXPECT_TRUE(s->Document()->ErrorText().startsWith(
        "missing value delimiter when parsing attributes near "));

    // The store goes on working and saves what it recovered.
    s->WriteString("lastLogin", "ivan");
    s->Flush();
    auto again = OpenStore(path);
    EXPECT_EQ(again->Document()->ErrorText(), QString());
    EXPECT_EQ(again->ReadString("db_server\\host", "-"), "srv1");
    EXPECT_EQ(again->ReadString("lastLogin", "-"), "ivan");
}

TEST(SettingsFile, MissingFileStartsEmptyAndIsCreatedAtTheFirstSave)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    auto s = OpenStore(path);
    EXPECT_EQ(s->Document()->DocumentElement()->Name(), "dataroot");
    EXPECT_EQ(s->Document()->DocumentElement()->ChildCount(), 0);
    EXPECT_EQ(s->ReadInteger("StartupSeed", 0), 0);
    EXPECT_FALSE(QFileInfo::exists(path)); // reads and writes do not touch the disk
    s->WriteInteger("StartupSeed", 12345);
    EXPECT_FALSE(QFileInfo::exists(path));
    s->Flush();
    EXPECT_EQ(OpenStore(path)->ReadInteger("StartupSeed", 0), 12345);
}

TEST(SettingsFile, SaveIsMode0600AndFollowsASymbolicLink)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    const mode_t oldMask = ::umask(0);
    {
        auto s = OpenStore(path);
        s->WriteString("db_server\\pass", "secret");
        s->Flush();
        EXPECT_EQ(FileMode(path), 0600u);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    {
        auto s = OpenStore(path);
        s->WriteString("db_server\\pass", "other");
        s->Flush();
        EXPECT_EQ(FileMode(path), 0600u);
    }
    ::umask(oldMask);

    const QString link = dir.Path("link.xdb");
    ASSERT_TRUE(QFile::link(path, link));
    {
        auto s = OpenStore(link);
        s->WriteString("db_server\\pass", "third");
        s->Flush();
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(OpenStore(path)->ReadString("db_server\\pass", "-"), "third");
}

TEST(SettingsFile, FailedSaveLeavesTheOldFileWhole)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    {
        auto s = OpenStore(path);
        s->WriteString("value", "old");
        s->Flush();
    }
    const QByteArray old = ReadBytes(path);

    auto s = OpenStore(path);
    s->WriteString("value", QString(200000, QLatin1Char('n')));
    // A file-size limit below the new content makes the write fail, as a
    // full disk would.
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        s->Flush();
    } catch (const ESettingsError &e) {
        threw = true;
        EXPECT_TRUE(e.Message().contains("k.xdb")) << e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(threw);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"k.xdb"}); // no temporary file is left behind

    // The values are still in memory and the next save succeeds.
    s->Flush();
    EXPECT_EQ(OpenStore(path)->ReadString("value", "-").size(), 200000);
}

TEST(SettingsFile, SaveIntoAMissingFolderFailsAndCreatesNothing)
{
    TempDir dir;
    auto s = OpenStore(dir.Path("no/such/k.xdb"));
    s->WriteInteger("x", 1);
    EXPECT_THROW(s->Flush(), ESettingsError);
    EXPECT_FALSE(QFileInfo::exists(dir.Path("no")));
    // The final save at destruction fails as silently.
}

TEST(SettingsFile, ReadOnlyFileIsSkippedSilently)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    WriteBytes(path, ReadBytes(DataFile("a_b_x.xml")));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    {
        auto s = OpenStore(path);
        s->WriteString("a\\b", "changed");
        EXPECT_NO_THROW(s->Flush());
        EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile("a_b_x.xml")));

        s->Document()->SetRaiseOnReadOnly(true);
        try {
            s->Flush();
            ADD_FAILURE() << "a read-only file with the raise flag must raise";
        } catch (const ESettingsError &e) {
            EXPECT_EQ(e.Message(), "Cannot save XML DataBase!\n\rFile is readonly!");
        }
    } // nor does the final save at destruction change it
    EXPECT_EQ(ReadBytes(path), ReadBytes(DataFile("a_b_x.xml")));
}

TEST(SettingsFile, SaveWithoutFileNameRaises)
{
    TXMLDataBase2 db;
    try {
        db.Flush();
        ADD_FAILURE() << "no file name must raise";
    } catch (const ESettingsError &e) {
        EXPECT_EQ(e.Message(), "Cannot save XML DataBase!\n\rNo FileName is specified!");
    }
}

TEST(SettingsFile, OnlyTheOwnerSavesWhenDestroyed)
{
    TempDir dir;
    const QString path = dir.Path("k.xdb");
    auto owner = OpenStore(path);
    {
        auto section = owner->OpenSection("frmMain");
        section->WriteBool("ShowWares", true);
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    owner.reset();
    EXPECT_TRUE(OpenStore(path)->ReadBool("frmMain\\ShowWares", false));
}

TEST(SettingsFile, AppSettingsIsCreatedAndDestroyedExplicitly)
{
    TempDir dir;
    const QString path = dir.Path("app.xdb");
    EXPECT_FALSE(AppSettingsExists());
    EXPECT_THROW(AppSettings(), std::logic_error);

    CreateAppSettings(path).WriteInteger("StartupSeed", 77);
    EXPECT_TRUE(AppSettingsExists());
    EXPECT_THROW(CreateAppSettings(path), std::logic_error);
    EXPECT_EQ(AppSettings().FileName(), path);
    DestroyAppSettings(); // saves
    EXPECT_FALSE(AppSettingsExists());

    EXPECT_EQ(CreateAppSettings(path).ReadInteger("StartupSeed", 0), 77);
    DestroyAppSettings();
}

TEST(SettingsFile, FileNameOfTheExecutable)
{
    EXPECT_EQ(TXMLSettings::SettingsFileNameFor("/opt/karvonel/karvonel"), "/opt/karvonel/karvonel.xdb");
    EXPECT_EQ(TXMLSettings::SettingsFileNameFor("C:/Prog/app.exe"), "C:/Prog/app.xdb");
    EXPECT_EQ(TXMLSettings::SettingsFileNameFor("C:/Prog/APP.EXE"), "C:/Prog/APP.xdb");
    EXPECT_EQ(TXMLSettings::SettingsFileNameFor("/bin/app.exe.old"), "/bin/app.exe.old.xdb");
    EXPECT_EQ(TXMLSettings::DefaultFileName(),
              QCoreApplication::applicationFilePath() + ".xdb");
    EXPECT_TRUE(TXMLSettings::DefaultFileName().endsWith("/framework_settings_tests.xdb"));
}
