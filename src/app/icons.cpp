#include "app/icons.h"

#include <QApplication>
#include <QDir>

void SetupIconTheme()
{
    static const bool done = [] {
        QStringList paths = QIcon::themeSearchPaths();
        const QString system = QStringLiteral("/usr/share/icons");
        if (!paths.contains(system) && QDir(system).exists())
            paths.append(system);
        QIcon::setThemeSearchPaths(paths);
        const QString current = QIcon::themeName();
        if (current.isEmpty() || current == QLatin1String("hicolor"))
            QIcon::setThemeName(QStringLiteral("breeze"));
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("breeze"));
        return true;
    }();
    (void)done;
}

QIcon MainIcon(const QString &name, QStyle::StandardPixmap fallback)
{
    SetupIconTheme();
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return QApplication::style()->standardIcon(fallback);
}
