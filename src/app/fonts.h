#pragma once
// The program's own fonts: every "*.ttf" file in the folder "fonts" beside
// the executable is registered for the run and removed at its end.

#include <QList>
#include <QString>
#include <QStringList>

class TFontInstaller
{
public:
    TFontInstaller() = default;
    ~TFontInstaller(); // removes what is still registered
    TFontInstaller(const TFontInstaller &) = delete;
    TFontInstaller &operator=(const TFontInstaller &) = delete;

    // Registers every file matching "*.ttf" (any case) in programFolder +
    // "/fonts" and remembers each one accepted; a file that fails is skipped.
    // Answers the number of fonts added by this call. Needs the application
    // object.
    int InstallFonts(const QString &programFolder);
    // Unregisters every remembered file and forgets them.
    void RemoveFonts();

    // The files registered now, in the order they were added.
    QStringList InstalledFiles() const { return FFiles; }
    QList<int> FontIds() const { return FIds; }

private:
    QStringList FFiles;
    QList<int> FIds;
};
