#include "shell/Components.h"
#include "shell/MainUnit.h"
#include "translate/LanguageCommands.h"

#include <QApplication>

#include <exception>

namespace {

// Handlers run guarded already; this catches what escapes from elsewhere in the event loop, so an
// error is reported instead of ending the program.
class TApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        // Every event passes here: a plain try block costs nothing until something is thrown.
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &) {
            // Rethrown inside the report so it shows the text as for any handler.
            Guarded([] { throw; });
            return false;
        }
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    TApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));
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
