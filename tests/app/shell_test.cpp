// The main window shell and the program's fonts.

#include "app_fixture.h"

#include "app/app_info.h"
#include "app/fonts.h"
#include "app/main_form.h"

#include <QDir>
#include <QFontDatabase>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace apptest;

namespace {

class MainWindow : public ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Prepare(dm);
        ASSERT_TRUE(dm.Startup());
    }
    Tdm dm;
};

TEST_F(MainWindow, ShowsTheApplicationTitleAndClosesOnlyAfterYes)
{
    TfrmMain form(&dm);
    QSignalSpy finished(&form, &QDialog::finished);
    auto *kept = new QObject;
    QPointer<QObject> keptRef(kept);
    form.KeepObject(kept);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ИС Карвонел 4"));
    EXPECT_EQ(form.windowTitle(), ApplicationTitle());
    const int baseMessages = messages.Count();

    // The close box asks; Cancel keeps the window and what it keeps.
    messages.Answer(mrCancel);
    form.close();
    ASSERT_EQ(messages.Count(), baseMessages + 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Желаете ли да приключите работа с програмата?"));
    EXPECT_EQ(messages.Last().Type, mtConfirmation);
    EXPECT_EQ(messages.Last().Buttons, TMsgDlgButtons({mbYes, mbCancel}));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(keptRef.isNull());

    // The exit button closes the same way; Yes ends the window.
    messages.Answer(mrYes);
    ASSERT_NE(form.btnExit, nullptr);
    EXPECT_EQ(form.btnExit->text(), QStringLiteral("Изход"));
    form.btnExit->click();
    EXPECT_EQ(messages.Count(), baseMessages + 2);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(keptRef.isNull());
}

TEST(Fonts, EveryTtfBesideTheProgramIsRegisteredForTheRunAndBadOnesAreSkipped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("fonts")));
    const QString fonts = dir.filePath(QStringLiteral("fonts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
                            fonts + QStringLiteral("/Sans.TTF")));
    {
        QFile bad(fonts + QStringLiteral("/broken.ttf"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write("not a font");
    }
    ASSERT_TRUE(QFile::copy(fonts + QStringLiteral("/Sans.TTF"), fonts + QStringLiteral("/other.otf")));

    TFontInstaller installer;
    EXPECT_EQ(installer.InstallFonts(dir.path()), 1);
    ASSERT_EQ(installer.InstalledFiles(), QStringList{fonts + QStringLiteral("/Sans.TTF")});
    const int id = installer.FontIds().value(0);
    EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).isEmpty());

    installer.RemoveFonts();
    EXPECT_TRUE(installer.InstalledFiles().isEmpty());
    EXPECT_TRUE(QFontDatabase::applicationFontFamilies(id).isEmpty());
    // No folder: nothing to do.
    EXPECT_EQ(installer.InstallFonts(dir.filePath(QStringLiteral("nowhere"))), 0);
}

}  // namespace
