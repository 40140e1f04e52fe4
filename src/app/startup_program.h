#pragma once
// The run of the program, from the data module to the end: the data module
// is created and started; when the start succeeds the main window runs
// until it is closed; then the window and the data module are freed.

// Answers the exit status: 0 after the main window was closed, 1 when the
// start failed (nothing further is shown; the data module is freed). Needs
// the application object and AppSettings.
int RunProgram();
