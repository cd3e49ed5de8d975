#pragma once

// Isolation for GUI tests: home, the XDG folders (settings folder, placement store, documents
// folder), the program folder and the printer's output all live in one fresh temporary directory,
// so no test reads or writes the user's own files. Child processes a test starts inherit the same
// directory (through KUVERTINO_TEST_ROOT) and adopt it instead of making their own.

#include "app/MainUnit.h"
#include "print/Printer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Which printer the program starts on in the test.
enum class TestPrinter {
    BuiltInPdf,     // the built-in PDF printer, writing into pdfFolder() (CI has a real default printer)
    SystemDefault,  // whatever the print service offers as default: the end-to-end test
    NoPrintService, // the print service unreachable: the program falls back on its own
};

class IsolatedEnvironment
{
public:
    static constexpr const char *RootVariable = "KUVERTINO_TEST_ROOT";

    explicit IsolatedEnvironment(TestPrinter printer = TestPrinter::BuiltInPdf)
        : m_printer(printer)
    {
        m_root = qEnvironmentVariable(RootVariable);
        if (m_root.isEmpty()) {
            m_dir = std::make_unique<QTemporaryDir>();
            m_root = m_dir->path();
            qputenv(RootVariable, m_root.toLocal8Bit());
        }
        for (const char *sub : {"data", "config", "cache", "state", "docs", "prog", "pdf"})
            QDir().mkpath(path(QLatin1String(sub)));
        qputenv("HOME", m_root.toLocal8Bit());
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", path(QStringLiteral("cache")).toLocal8Bit());
        qputenv("XDG_STATE_HOME", path(QStringLiteral("state")).toLocal8Bit());
        // The documents folder comes from the user-dirs file in the (now private) config folder.
        qunsetenv("XDG_DOCUMENTS_DIR");
        QFile dirs(path(QStringLiteral("config/user-dirs.dirs")));
        if (dirs.open(QIODevice::WriteOnly | QIODevice::Truncate))
            dirs.write("XDG_DOCUMENTS_DIR=\"$HOME/docs\"\n");
        if (printer == TestPrinter::NoPrintService)
            qputenv("CUPS_SERVER", path(QStringLiteral("no-cups.sock")).toLocal8Bit());
    }
    ~IsolatedEnvironment()
    {
        if (m_dir)
            qunsetenv(RootVariable);
    }
    IsolatedEnvironment(const IsolatedEnvironment &) = delete;
    IsolatedEnvironment &operator=(const IsolatedEnvironment &) = delete;

    QString path(const QString &sub = QString()) const
    {
        return sub.isEmpty() ? m_root : m_root + QLatin1Char('/') + sub;
    }
    // The settings folder the program uses in this environment, ending in a separator.
    QString settingsFolder() const
    {
        return path(QStringLiteral("data")) + QStringLiteral("/Velmora/Kuvertino/");
    }
    // Writes bytes into the file name inside the environment and gives its path; stops the test
    // program when that fails, since nothing after it would mean anything.
    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        const QString file = path(name);
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }
    QString programFolder() const { return path(QStringLiteral("prog")) + QLatin1Char('/'); }
    QString pdfFolder() const { return path(QStringLiteral("pdf")); }
    QString documentsFolder() const { return path(QStringLiteral("docs")); }
    TestPrinter printer() const { return m_printer; }

    // Call after QApplication exists, before the windows are created: names the application as the
    // program does, and sets the program folder and the printer.
    void prepareApplication() const
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
        QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));
        if (m_printer == TestPrinter::BuiltInPdf) {
            TPrinter::setPdfOutputFolder(pdfFolder());
            Printer().useBuiltInPdfPrinter();
        }
        SetProgramFolderForTests(programFolder());
    }

private:
    TestPrinter m_printer;
    std::unique_ptr<QTemporaryDir> m_dir; // only when this process made the directory
    QString m_root;
};

// The running test's environment, set while its test object runs.
inline IsolatedEnvironment *TestEnv = nullptr;

// Isolated environment first, then the application, then the test object.
template<class TestObject>
int RunIsolatedGuiTest(int argc, char *argv[], TestPrinter printer = TestPrinter::BuiltInPdf)
{
    IsolatedEnvironment env(printer);
    TestEnv = &env;
    QApplication app(argc, argv);
    env.prepareApplication();
    int rc = 0;
    {
        TestObject tc;
        rc = QTest::qExec(&tc, argc, argv);
    }
    TestEnv = nullptr;
    return rc;
}

#define KUVERTINO_GUI_TEST_MAIN(TestObject)                                                                  \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        return RunIsolatedGuiTest<TestObject>(argc, argv);                                                   \
    }

#define KUVERTINO_GUI_TEST_MAIN_WITH_PRINTER(TestObject, printer)                                            \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        return RunIsolatedGuiTest<TestObject>(argc, argv, printer);                                          \
    }
