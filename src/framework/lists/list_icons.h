#pragma once

#include <QIcon>

// An icon of the program's icon theme by its standard name, or the fallback
// when the theme lacks it.
QIcon ListIcon(const QString &Name, const QIcon &Fallback = QIcon());
