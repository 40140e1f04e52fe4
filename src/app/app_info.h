#pragma once

#include <QString>

// The application title shown by the main window.
QString ApplicationTitle();
