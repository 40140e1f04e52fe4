#pragma once
// How the start-up and the connection speak to the user on screen.

#include <QString>

#include <functional>
#include <vector>

class TBaseDM;

// The boxes "Грешка: NNN" (001, 003, 401, 402): the system's message box with
// the error icon and one OK button. Every box goes through one replaceable
// handler; the caption and text are also written to standard error.
using SystemErrorBoxHandler = std::function<void(const QString &caption, const QString &text)>;
// Replaces the handler and answers the previous one; an empty handler puts
// back the program's own (ShowSystemErrorBox).
SystemErrorBoxHandler SetSystemErrorBoxHandler(SystemErrorBoxHandler handler);
void SystemErrorBox(const QString &caption, const QString &text);
// The program's handler: a modal QMessageBox.
void ShowSystemErrorBox(const QString &caption, const QString &text);

// Routes the data module's boxes to SystemErrorBox and the start-up's
// question and message to CyrMessageDlg (confirmation with Yes and No,
// information with OK).
void ConnectStartupDialogs(TBaseDM &dm);

// For tests: while it lives, every system error box is recorded instead of
// shown.
class TErrorBoxRecorder
{
public:
    struct Box {
        QString Caption;
        QString Text;
    };
    TErrorBoxRecorder();
    ~TErrorBoxRecorder();
    TErrorBoxRecorder(const TErrorBoxRecorder &) = delete;
    TErrorBoxRecorder &operator=(const TErrorBoxRecorder &) = delete;

    int Count() const { return int(FBoxes.size()); }
    const Box &Last() const { return FBoxes.back(); }  // Count() > 0
    const std::vector<Box> &Boxes() const { return FBoxes; }

private:
    SystemErrorBoxHandler FPrevious;
    std::vector<Box> FBoxes;
};
