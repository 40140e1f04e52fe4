#pragma once

// The results a window answers when it closes: the button or command that
// ended it. QDialog::exec() returns them; TfrmBaseForm::SetModalResult()
// closes a window with one of them.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;
