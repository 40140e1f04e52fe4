#include "app/fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

TFontInstaller::~TFontInstaller()
{
    RemoveFonts();
}

int TFontInstaller::InstallFonts(const QString &programFolder)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return 0;
    QDir dir(QDir(programFolder).filePath(QStringLiteral("fonts")));
    if (!dir.exists())
        return 0;
    // Name filters of QDir ignore case: "*.ttf" takes "X.TTF" too.
    const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.ttf")},
                                                  QDir::Files | QDir::Readable, QDir::Name);
    int added = 0;
    for (const QFileInfo &file : files) {
        const int id = QFontDatabase::addApplicationFont(file.absoluteFilePath());
        if (id < 0)
            continue;
        // Qt tells every window that the fonts changed (fontDatabaseChanged).
        FIds.append(id);
        FFiles.append(file.absoluteFilePath());
        ++added;
    }
    return added;
}

void TFontInstaller::RemoveFonts()
{
    if (FIds.isEmpty())
        return;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        for (int id : std::as_const(FIds))
            QFontDatabase::removeApplicationFont(id);
    }
    FIds.clear();
    FFiles.clear();
}
