#include "framework/forms/application.h"

#include "framework/forms/cyrmessagedlg.h"
#include "framework/text/abort.h"

#include <QLibraryInfo>
#include <QTranslator>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
    }
    return false;
}

QString ExceptionMessage(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

void HandleException(std::exception_ptr error)
{
    if (!error)
        return;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort &) {
        // The silent abort: nothing to say.
    } catch (const std::exception &e) {
        CyrMessageDlg(ExceptionMessage(e), mtError, {mbOK});
    } catch (...) {
        CyrMessageDlg(QStringLiteral("Неочаквана грешка!"), mtError, {mbOK});
    }
}

bool InstallQtTranslations()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    auto *translator = new QTranslator(app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_bg"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
