#pragma once

// Isolation for GUI tests: the settings folder, the placement store, the documents folder and the
// program folder all live in one fresh temporary directory, and printing goes to the built-in PDF
// printer there (CI runs a real default printer).

#include "print/Printer.h"
#include "shell/MainUnit.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class IsolatedEnvironment
{
public:
    IsolatedEnvironment()
    {
        m_dir.setAutoRemove(true);
        for (const char *sub : {"data", "config", "docs", "prog", "pdf"})
            QDir().mkpath(path(QLatin1String(sub)));
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toLocal8Bit());
        qputenv("HOME", m_dir.path().toLocal8Bit());
    }
    QString path(const QString &sub = QString()) const
    {
        return sub.isEmpty() ? m_dir.path() : m_dir.path() + QLatin1Char('/') + sub;
    }
    // The settings folder the program uses in this environment, ending in a separator.
    QString settingsFolder() const
    {
        return path(QStringLiteral("data")) + QStringLiteral("/Velmora/Kuvertino/");
    }
    QString programFolder() const { return path(QStringLiteral("prog")) + QLatin1Char('/'); }
    QString pdfFolder() const { return path(QStringLiteral("pdf")); }

    // Call after QApplication exists, before the windows are created.
    void preparePrinting() const
    {
        TPrinter::setPdfOutputFolder(pdfFolder());
        Printer().useBuiltInPdfPrinter();
        SetProgramFolderForTests(programFolder());
    }

private:
    QTemporaryDir m_dir;
};

// A main() for GUI tests: isolated environment first, then the application, then the test object.
#define KUVERTINO_GUI_TEST_MAIN(TestObject)                                                                  \
    IsolatedEnvironment *TestEnv = nullptr;                                                                  \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        IsolatedEnvironment env;                                                                             \
        TestEnv = &env;                                                                                      \
        QApplication app(argc, argv);                                                                        \
        QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));                                    \
        QCoreApplication::setApplicationName(QStringLiteral("kuvertino"));                                   \
        env.preparePrinting();                                                                               \
        TestObject tc;                                                                                       \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
