#include "app/startup_program.h"

#include "app/main_form.h"
#include "app/tdm.h"
#include "framework/forms/application.h"
#include "framework/text/abort.h"

#include <QApplication>

#include <exception>
#include <memory>

int RunProgram()
{
    auto dm = std::make_unique<Tdm>();
    bool started = false;
    try {
        started = dm->Startup();
    } catch (const EAbort &) {
    } catch (const std::exception &) {
        HandleException(std::current_exception());
    }
    if (!started) {
        dm.reset();
        return 1;
    }
    int status = 0;
    {
        TfrmMain form(dm.get());
        QObject::connect(&form, &QDialog::finished, QCoreApplication::instance(),
                         &QCoreApplication::quit);
        form.show();
        status = QApplication::exec();
    }
    dm.reset();
    return status;
}
