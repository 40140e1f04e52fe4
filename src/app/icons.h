#pragma once
// The pictures of the main window's toolbar and menus: icons of the
// installed free icon theme (breeze), looked up by their standard names,
// with one of the style's standard icons where the theme lacks the name.

#include <QIcon>
#include <QStyle>

// Points Qt at the system's icon folders and picks the breeze theme when the
// platform names no theme of its own. Runs once; MainIcon calls it.
void SetupIconTheme();

// The theme icon of that name, or the style's standard icon.
QIcon MainIcon(const QString &name, QStyle::StandardPixmap fallback = QStyle::SP_FileIcon);
