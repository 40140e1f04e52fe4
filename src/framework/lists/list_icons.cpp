#include "framework/lists/list_icons.h"

#include <QDir>
#include <QStandardPaths>

QIcon ListIcon(const QString &Name, const QIcon &Fallback)
{
    // The toolbar pictures come from the breeze theme when the platform
    // names no theme of its own; platforms without a desktop theme (the
    // offscreen one) do not even look in the system's icon folders.
    static const bool prepared = [] {
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
            const QString icons = QDir(data).filePath(QStringLiteral("icons"));
            if (!paths.contains(icons) && QDir(icons).exists())
                paths.append(icons);
        }
        QIcon::setThemeSearchPaths(paths);
        // Without a theme name the fallback theme is never asked.
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QStringLiteral("hicolor"));
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("breeze"));
        return true;
    }();
    (void)prepared;
    QIcon icon = QIcon::fromTheme(Name);
    return icon.isNull() ? Fallback : icon;
}
