#pragma once
// The one-instance windows of the main window's commands: a window is made
// on first use, kept in a program-wide reference under its name, and brought
// to the front by later uses; the reference is cleared when the window
// closes and frees itself.

#include <QString>

#include <functional>

class QWidget;

// The window kept under name, or null when none is open.
QWidget *SingleInstance(const QString &name);

// Brings the window kept under name to the front; without one, create makes
// it (the window is expected to free itself when it closes), it is kept
// under name and shown modeless. Answers the window (null when create gave
// none).
QWidget *ShowSingleInstance(const QString &name, const std::function<QWidget *()> &create);

// Brings a window to the front: shown, restored when minimized, raised and
// activated.
void BringToFront(QWidget *window);
