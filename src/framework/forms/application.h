#pragma once

// The application object of the program and its default error box.
//
// An exception that no handler caught reaches TApplication::notify: the
// silent abort (EAbort) is swallowed, anything else is shown in the message
// dialog as an error with OK, and the program goes on with its windows open.

#include <QApplication>

#include <exception>

class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

// The text an exception carries (what(), read as UTF-8).
QString ExceptionMessage(const std::exception &error);

// The default error box: nothing for EAbort, the exception's text in
// CyrMessageDlg (mtError, OK) for anything else. Safe to call from any catch
// block of a form: HandleException(std::current_exception()).
void HandleException(std::exception_ptr error);

// Loads Qt's own Bulgarian texts (qtbase_bg.qm from Qt's translations
// folder) into the application. Answers whether they were found. The
// program entry calls it once, right after the application object is made.
bool InstallQtTranslations();
