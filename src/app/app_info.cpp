#include "app/app_info.h"

QString ApplicationTitle()
{
    return QStringLiteral("ИС Карвонел 4");
}
