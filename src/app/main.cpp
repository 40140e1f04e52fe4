#include "app/startup_program.h"
#include "framework/forms/application.h"
#include "framework/settings/settings.h"
#include "framework/text/formats.h"

int main(int argc, char *argv[])
{
    // The settings store comes first and goes last.
    CreateAppSettings();
    int status = 1;
    {
        TApplication app(argc, argv);
        ApplyProcessFormats();
        InstallQtTranslations();
        status = RunProgram();
    }
    DestroyAppSettings();
    return status;
}
