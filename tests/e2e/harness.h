#pragma once
// End-to-end harness: the real program, run from a copy of its program
// folder on a private X server, driven by keys as a person would.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace e2e {

// The result of a helper tool (xdotool, import ...).
struct ToolResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a tool to its end or until the time-out (then it is killed).
ToolResult RunTool(const QString &program, const QStringList &args,
                   const QProcessEnvironment &env, int timeoutMs = 10000);

// A private X server (Xvfb on a free display, no window manager) and the
// operations the tests need on its windows. Stopped at destruction.
class XServer {
public:
    XServer();
    ~XServer();
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    bool isRunning() const;
    QString display() const { return display_; }  // ":N"
    QString startError() const { return error_; }

    // The environment for a client of this display.
    QProcessEnvironment clientEnvironment() const;

    // The visible window whose title is exactly title; 0 when none appears
    // within the time-out.
    unsigned long waitForWindow(const QString &title, int timeoutMs = 15000) const;
    // Whether a visible window with exactly that title exists now.
    bool hasWindow(const QString &title) const;
    // True when no visible window with that title is left within the time-out.
    bool waitForWindowGone(const QString &title, int timeoutMs = 10000) const;
    // Gives the window the keyboard focus, then types the keys (xdotool key
    // names, e.g. "Return", "Escape", "alt+F4").
    bool sendKeys(unsigned long window, const QStringList &keys) const;
    // Presses the window's close box (what a window manager sends).
    bool closeWindow(unsigned long window) const;
    // Saves the whole screen as PNG.
    bool screenshot(const QString &pngPath) const;

private:
    std::unique_ptr<QProcess> xvfb_;
    QString display_;
    QString error_;
    QString runtimeDir_;
    QTemporaryDir runtime_;
};

// A copy of the program folder (build/bin: the executable, karvonel.fdb,
// firebird.conf) in a temporary directory, removed at destruction.
class ProgramFolder {
public:
    ProgramFolder();
    bool isValid() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    QString executable() const { return file(QStringLiteral("karvonel")); }
    QString database() const { return file(QStringLiteral("karvonel.fdb")); }
    QString settingsFile() const { return file(QStringLiteral("karvonel.xdb")); }
    QString firebirdConf() const { return file(QStringLiteral("firebird.conf")); }
    bool exists(const QString &name) const;
    bool remove(const QString &name) const;

    // Replaces the database with a copy of another file.
    bool replaceDatabase(const QString &source) const;

private:
    QTemporaryDir dir_;
    QString error_;
};

// One run of the program. Killed at destruction if it still runs.
class Program {
public:
    Program(const ProgramFolder &folder, const XServer &x);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    bool start();
    bool isRunning() const;
    // The exit status once the program ended within the time-out; nullopt
    // when it still runs (it is then left running) or crashed.
    std::optional<int> waitForExit(int timeoutMs = 20000);
    bool crashed() const { return crashed_; }
    void kill();  // SIGKILL, as a crash or power loss would end it
    QString standardError() const;
    QString standardOutput() const;

private:
    const ProgramFolder &folder_;
    const XServer &x_;
    std::unique_ptr<QProcess> process_;
    bool crashed_ = false;
    QString errFile_;
    QString outFile_;
};

// Where screenshots and other artefacts of a run go (under the build folder,
// never committed).
QString ArtefactDir();

// The keys that type a text, one for each character (for XServer::sendKeys).
QStringList Letters(const QString &text);

}  // namespace e2e
