#include "framework/lists/list_icons.h"

QIcon ListIcon(const QString &Name, const QIcon &Fallback)
{
    // The toolbar pictures come from the breeze theme when the platform
    // names no theme of its own.
    static const bool themed = [] {
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("breeze"));
        return true;
    }();
    (void)themed;
    return QIcon::fromTheme(Name, Fallback);
}
