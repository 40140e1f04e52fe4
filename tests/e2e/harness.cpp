#include "e2e/harness.h"

#include "e2e/x11_close.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <unistd.h>

namespace e2e {

namespace {

// xdotool matches titles with POSIX extended regular expressions.
QString exactTitlePattern(const QString &title)
{
    static const QString special = QStringLiteral(".[]{}()\\*+?^$|");
    QString out = QStringLiteral("^");
    for (QChar c : title) {
        if (special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('$');
    return out;
}

void pause(int ms) { QThread::msleep(ms); }

}  // namespace

ToolResult RunTool(const QString &program, const QStringList &args,
                   const QProcessEnvironment &env, int timeoutMs)
{
    ToolResult r;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted(5000))
        return r;
    r.started = true;
    if (!p.waitForFinished(timeoutMs)) {
        r.timedOut = true;
        p.kill();
        p.waitForFinished(2000);
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

// ---------------------------------------------------------------- XServer

XServer::XServer()
{
    if (!runtime_.isValid()) {
        error_ = QStringLiteral("no temporary folder for XDG_RUNTIME_DIR");
        return;
    }
    xvfb_ = std::make_unique<QProcess>();
    // -displayfd 1: Xvfb picks a free display and writes its number to stdout.
    xvfb_->start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                  QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!xvfb_->waitForStarted(5000)) {
        error_ = QStringLiteral("Xvfb did not start: ") + xvfb_->errorString();
        xvfb_.reset();
        return;
    }
    QByteArray number;
    QElapsedTimer t;
    t.start();
    while (!number.contains('\n') && t.elapsed() < 15000) {
        if (xvfb_->state() != QProcess::Running)
            break;
        xvfb_->waitForReadyRead(200);
        number += xvfb_->readAllStandardOutput();
    }
    number = number.trimmed();
    bool ok = false;
    number.toInt(&ok);
    if (!ok) {
        error_ = QStringLiteral("Xvfb gave no display number: ") +
                 QString::fromLocal8Bit(xvfb_->readAllStandardError());
        xvfb_->kill();
        xvfb_->waitForFinished(2000);
        xvfb_.reset();
        return;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(number);
}

XServer::~XServer()
{
    if (xvfb_ && xvfb_->state() != QProcess::NotRunning) {
        xvfb_->terminate();
        if (!xvfb_->waitForFinished(3000)) {
            xvfb_->kill();
            xvfb_->waitForFinished(2000);
        }
    }
}

bool XServer::isRunning() const
{
    return xvfb_ && xvfb_->state() == QProcess::Running && !display_.isEmpty();
}

QProcessEnvironment XServer::clientEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    // The sanitizer build checks the program for leaks at its end; the
    // system libraries' own are suppressed. Thread-local storage is not
    // scanned: the leak checker of this tool chain crashes now and then on a
    // stale dynamic TLS entry left by an unloaded library.
    env.insert(QStringLiteral("LSAN_OPTIONS"),
               QStringLiteral("use_tls=0:print_suppressions=0:suppressions=" KARVONEL_SOURCE_DIR
                              "/tests/support/lsan.supp"));
    return env;
}

unsigned long XServer::waitForWindow(const QString &title, int timeoutMs) const
{
    QElapsedTimer t;
    t.start();
    const QStringList args{QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--name"), exactTitlePattern(title)};
    do {
        ToolResult r = RunTool(QStringLiteral("xdotool"), args, clientEnvironment(), 5000);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        if (r.exitCode == 0 && !lines.isEmpty()) {
            bool ok = false;
            const unsigned long id = lines.first().trimmed().toULong(&ok);
            if (ok && id != 0)
                return id;
        }
        pause(100);
    } while (t.elapsed() < timeoutMs);
    return 0;
}

bool XServer::hasWindow(const QString &title) const
{
    return waitForWindow(title, 0) != 0;
}

bool XServer::waitForWindowGone(const QString &title, int timeoutMs) const
{
    QElapsedTimer t;
    t.start();
    do {
        if (!hasWindow(title))
            return true;
        pause(100);
    } while (t.elapsed() < timeoutMs);
    return false;
}

bool XServer::sendKeys(unsigned long window, const QStringList &keys) const
{
    const QString id = QString::number(window);
    ToolResult f = RunTool(QStringLiteral("xdotool"),
                           {QStringLiteral("windowfocus"), QStringLiteral("--sync"), id},
                           clientEnvironment(), 5000);
    if (f.exitCode != 0)
        return false;
    pause(150);  // let the program take the focus change in
    QStringList args{QStringLiteral("key"), QStringLiteral("--clearmodifiers"),
                     QStringLiteral("--delay"), QStringLiteral("80")};
    args += keys;
    ToolResult k = RunTool(QStringLiteral("xdotool"), args, clientEnvironment(), 5000);
    return k.exitCode == 0;
}

bool XServer::closeWindow(unsigned long window) const
{
    return SendCloseRequest(display_.toLatin1().constData(), window);
}

bool XServer::screenshot(const QString &pngPath) const
{
    QDir().mkpath(QFileInfo(pngPath).absolutePath());
    ToolResult r = RunTool(QStringLiteral("import"),
                           {QStringLiteral("-display"), display_, QStringLiteral("-window"),
                            QStringLiteral("root"), pngPath},
                           clientEnvironment(), 15000);
    return r.exitCode == 0 && QFileInfo(pngPath).size() > 0;
}

// ---------------------------------------------------------- ProgramFolder

ProgramFolder::ProgramFolder()
{
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    const QString bin = QStringLiteral(KARVONEL_BIN_DIR);
    for (const char *name : {"karvonel", "karvonel.fdb", "firebird.conf"}) {
        const QString from = bin + QLatin1Char('/') + QLatin1String(name);
        const QString to = file(QLatin1String(name));
        if (!QFileInfo::exists(from)) {
            error_ = from + QStringLiteral(" is missing: build the karvonel and delivered_database targets");
            return;
        }
        // The executable is linked (it is large and never changed); the
        // program finds its folder through the path it was started by.
        if (QLatin1String(name) == QLatin1String("karvonel") &&
            ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
            continue;
        if (!QFile::copy(from, to)) {
            error_ = QStringLiteral("cannot copy ") + from;
            return;
        }
        QFile::setPermissions(to, QFile::permissions(from) | QFile::WriteOwner);
    }
}

bool ProgramFolder::exists(const QString &name) const
{
    return QFileInfo::exists(file(name));
}

bool ProgramFolder::remove(const QString &name) const
{
    return QFile::remove(file(name));
}

bool ProgramFolder::replaceDatabase(const QString &source) const
{
    QFile::remove(database());
    return QFile::copy(source, database()) &&
           QFile::setPermissions(database(), QFile::ReadOwner | QFile::WriteOwner);
}

// ---------------------------------------------------------------- Program

Program::Program(const ProgramFolder &folder, const XServer &x) : folder_(folder), x_(x) {}

Program::~Program()
{
    kill();
}

bool Program::start()
{
    static int runs = 0;
    ++runs;
    errFile_ = folder_.file(QStringLiteral("run%1.stderr").arg(runs));
    outFile_ = folder_.file(QStringLiteral("run%1.stdout").arg(runs));
    crashed_ = false;
    process_ = std::make_unique<QProcess>();
    process_->setProcessEnvironment(x_.clientEnvironment());
    // Not the program folder: the program must find its files by its own path.
    process_->setWorkingDirectory(QDir::tempPath());
    process_->setStandardErrorFile(errFile_);
    process_->setStandardOutputFile(outFile_);
    process_->start(folder_.executable(), {});
    return process_->waitForStarted(10000);
}

bool Program::isRunning() const
{
    return process_ && process_->state() != QProcess::NotRunning;
}

std::optional<int> Program::waitForExit(int timeoutMs)
{
    if (!process_)
        return std::nullopt;
    if (process_->state() != QProcess::NotRunning && !process_->waitForFinished(timeoutMs))
        return std::nullopt;
    if (process_->exitStatus() != QProcess::NormalExit) {
        crashed_ = true;
        return std::nullopt;
    }
    return process_->exitCode();
}

void Program::kill()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

QString Program::standardError() const
{
    QFile f(errFile_);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString Program::standardOutput() const
{
    QFile f(outFile_);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString ArtefactDir()
{
    return QStringLiteral(KARVONEL_BINARY_DIR) + QStringLiteral("/tests/e2e-artefacts");
}

QStringList Letters(const QString &text)
{
    QStringList keys;
    for (QChar c : text)
        keys << QString(c);
    return keys;
}

}  // namespace e2e
