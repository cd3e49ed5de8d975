// The isolation every GUI test runs in: each per-user location the program touches lies inside the
// test's own temporary folder, child processes share it, and the folder goes with the test.

#include "TestEnvironment.h"

#include "app/FormStorage.h"
#include "core/ProgramDir.h"

#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>
#include <functional>

namespace {

using Location = std::function<QString()>;

const char *const IsolationVariables[] = {"HOME",
                                          "XDG_DATA_HOME",
                                          "XDG_CONFIG_HOME",
                                          "XDG_CACHE_HOME",
                                          "XDG_STATE_HOME",
                                          "KUVERTINO_TEST_ROOT"};

// What a child started by a test sees: its root, home, settings folder and documents folder.
int childMain(int argc, char *argv[])
{
    IsolatedEnvironment env;
    QApplication app(argc, argv);
    env.prepareApplication();
    std::printf("%s\n%s\n%s\n%s\n",
                qPrintable(env.path()),
                qPrintable(QDir::homePath()),
                qPrintable(SettingsFolderFrom(UserDataLocation(), QString())),
                qPrintable(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    return 0;
}

} // namespace

Q_DECLARE_METATYPE(Location)

class TestTestEnvironment : public QObject
{
    Q_OBJECT

private slots:
    void locationsLieInside_data()
    {
        QTest::addColumn<Location>("location");
        QTest::addColumn<QString>("expected"); // relative to the test's folder
        QTest::newRow("home") << Location([] { return QDir::homePath(); }) << "";
        QTest::newRow("settings folder")
                << Location([] { return SettingsFolderFrom(UserDataLocation(), QString()); })
                << "data/Velmora/Kuvertino/";
        QTest::newRow("placement store") << Location([] { return TFormStorage::openStore()->fileName(); })
                                         << "config/Velmora/Kuvertino.conf";
        QTest::newRow("documents") << Location([] {
            return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        }) << "docs";
        QTest::newRow("cache") << Location([] {
            return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        }) << "cache";
        QTest::newRow("printer output") << Location([] { return TPrinter::pdfOutputFolder(); }) << "pdf/";
    }
    void locationsLieInside()
    {
        QFETCH(Location, location);
        QFETCH(QString, expected);
        const QString root = TestEnv->path();
        QVERIFY(root.startsWith(QDir::tempPath()));
        QCOMPARE(location(), expected.isEmpty() ? root : root + QLatin1Char('/') + expected);
    }

    void printsToTheBuiltInPrinter()
    {
        QVERIFY(Printer().isBuiltInPdfPrinter());
        QCOMPARE(TestEnv->printer(), TestPrinter::BuiltInPdf);
    }

    void childSharesTheFolder()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        const QStringList lines
                = QString::fromLocal8Bit(child.readAllStandardOutput()).split(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, 4),
                 (QStringList{TestEnv->path(),
                              TestEnv->path(),
                              TestEnv->settingsFolder(),
                              TestEnv->documentsFolder()}));
        // The child adopted the folder: it did not take it away when it ended.
        QVERIFY(QDir(TestEnv->path(QStringLiteral("prog"))).exists());
    }

    void ownFolderGoesWithTheEnvironment()
    {
        QList<QByteArray> saved;
        for (const char *name : IsolationVariables)
            saved.append(qgetenv(name));
        qunsetenv("KUVERTINO_TEST_ROOT");
        QString root;
        {
            IsolatedEnvironment inner;
            root = inner.path();
            QVERIFY(root != TestEnv->path());
            QCOMPARE(qEnvironmentVariable("KUVERTINO_TEST_ROOT"), root);
            QCOMPARE(qEnvironmentVariable("HOME"), root);
            QVERIFY(QDir(inner.programFolder()).exists());
        }
        const bool gone = !QDir(root).exists();
        const bool unset = !qEnvironmentVariableIsSet("KUVERTINO_TEST_ROOT");
        for (int i = 0; i < saved.size(); ++i)
            qputenv(IsolationVariables[i], saved[i]);
        QVERIFY(gone);
        QVERIFY(unset);
    }
};

int main(int argc, char *argv[])
{
    if (argc >= 2 && QByteArray(argv[1]) == "--child")
        return childMain(argc, argv);
    return RunIsolatedGuiTest<TestTestEnvironment>(argc, argv);
}

#include "tst_testenvironment.moc"
