#include "print/Printer.h"
#include "shell/Components.h"
#include "shell/MainUnit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Handlers run guarded already; this catches what escapes from elsewhere in the event loop, so an
// error is reported instead of ending the program.
class TApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        bool result = false;
        Guarded([&] { result = QApplication::notify(receiver, event); });
        return result;
    }
};

// Qt's own dialogs (buttons, file and font dialogs) speak the interface language.
void installQtTranslation(QApplication &app, int language)
{
    static const char *const codes[] = {"de", "en", "fr", "nl"};
    const char *code = (language >= 0 && language < 4) ? codes[language] : "de";
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_") + QLatin1String(code),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    TApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));
    CreateApplicationWindows();
    installQtTranslation(app, MainForm->languagesetto);
    MainForm->show();
    SetProgramMainLoopRunning(true);
    const int rc = app.exec();
    SetProgramMainLoopRunning(false);
    return rc;
}
