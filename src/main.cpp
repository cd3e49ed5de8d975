#include "app/Application.h"
#include "app/ContrastStyle.h"
#include "app/LanguageCommands.h"
#include "app/MainUnit.h"
#include "cli/CliRun.h"
#include "cli/CommandLine.h"

int main(int argc, char *argv[])
{
    // --print, --help or --version: a run without any window, before a window application exists.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (IsCommandLineRun(arguments))
        return RunCommandLineProgram(argc, argv);

    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    KuvertinoApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));
    InstallContrastStyle();
    CreateApplicationWindows();
    // What a file manager's double-click runs: the document opens after the first showing's start-up.
    MainForm->pendingDocument = DocumentArgument(QCoreApplication::arguments());
    // Qt's own dialogs (buttons, file and font dialogs) speak the chosen language.
    InstallQtTranslation(MainForm->languagesetto);
    MainForm->show();
    SetProgramMainLoopRunning(true);
    const int rc = app.exec();
    SetProgramMainLoopRunning(false);
    return rc;
}
