// A damaged last-state file is copied aside before anything overwrites it, and the start-up report
// says where the copy is.
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/ChooseAddressFUnit.h"
#include "app/MainUnit.h"
#include "core/DamagedCopy.h"

#include <QDir>
#include <QFile>
#include <QTest>

extern IsolatedEnvironment *TestEnv;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray golden(const char *name)
{
    return fileBytes(QStringLiteral(KUVERTINO_TEST_DATA "/persist/") + QLatin1String(name));
}

QString optionsDat()
{
    return TestEnv->settingsFolder() + QStringLiteral("options.dat");
}

QStringList settingsFiles()
{
    return QDir(TestEnv->settingsFolder())
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestDamagedState : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

private slots:
    void init()
    {
        QDir(TestEnv->path(QStringLiteral("data"))).removeRecursively();
        QVERIFY(QDir().mkpath(TestEnv->settingsFolder()));
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    // Files already beside options.dat as "suffix=content" ("suffix/" a folder), and the name the
    // copy gets.
    void copyName_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QStringList>("after");

        QTest::newRow("first copy") << QStringList{} << ".damaged"
                                    << QStringList{"options.dat", "options.dat.damaged"};
        QTest::newRow("other bytes there")
                << QStringList{".damaged=alt"} << ".damaged.1"
                << QStringList{"options.dat", "options.dat.damaged", "options.dat.damaged.1"};
        QTest::newRow("two taken") << QStringList{".damaged=a", ".damaged.1=b"} << ".damaged.2"
                                   << QStringList{"options.dat",
                                                  "options.dat.damaged",
                                                  "options.dat.damaged.1",
                                                  "options.dat.damaged.2"};
        QTest::newRow("same bytes named again") << QStringList{".damaged=CUT"} << ".damaged"
                                                << QStringList{"options.dat", "options.dat.damaged"};
        QTest::newRow("same bytes in the second")
                << QStringList{".damaged=a", ".damaged.1=CUT"} << ".damaged.1"
                << QStringList{"options.dat", "options.dat.damaged", "options.dat.damaged.1"};
        QTest::newRow("a gap is filled")
                << QStringList{".damaged.1=b"} << ".damaged"
                << QStringList{"options.dat", "options.dat.damaged", "options.dat.damaged.1"};
        QTest::newRow("a folder in the way")
                << QStringList{".damaged/"} << ".damaged.1"
                << QStringList{"options.dat", "options.dat.damaged", "options.dat.damaged.1"};
    }
    void copyName()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, copy);
        QFETCH(QStringList, after);
        const QByteArray cut = golden("full.kvt").left(150);
        writeBytes(optionsDat(), cut);
        QMap<QString, QByteArray> before;
        for (const QString &p : present) {
            if (p.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir().mkpath(optionsDat() + p));
                continue;
            }
            const QString suffix = p.section(QLatin1Char('='), 0, 0);
            QByteArray bytes = p.section(QLatin1Char('='), 1).toUtf8();
            if (bytes == "CUT")
                bytes = cut;
            writeBytes(optionsDat() + suffix, bytes);
            before.insert(suffix, bytes);
        }

        const TDamagedCopy kept = KeepDamagedCopy(optionsDat());
        QCOMPARE(kept.whyNot, QString());
        QCOMPARE(kept.path, optionsDat() + copy);
        QCOMPARE(fileBytes(kept.path), cut);
        QCOMPARE(fileBytes(optionsDat()), cut);
        QCOMPARE(settingsFiles(), after);
        // Copies made before are never touched.
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QCOMPARE(fileBytes(optionsDat() + it.key()), it.value());
    }

    void missingFileGivesAReasonAndNoCopy()
    {
        const TDamagedCopy kept = KeepDamagedCopy(optionsDat());
        QCOMPARE(kept.path, QString());
        QVERIFY(!kept.whyNot.isEmpty());
        QCOMPARE(settingsFiles(), QStringList{});
    }

    void reportNamesTheCopyOrWhyThereIsNone()
    {
        const QString file = QStringLiteral("/home/anna/.local/share/Velmora/Kuvertino/options.dat");
        const QString withCopy = DamagedFileReport(
                file, QStringLiteral("Read beyond end of file"), {file + ".damaged.3", {}});
        QCOMPARE(withCopy,
                 QStringLiteral(
                         "Die zuletzt gespeicherten Einstellungen in %1 sind beschädigt und wurden nicht "
                         "vollständig gelesen.\nRead beyond end of file\n\nEine unveränderte Kopie der "
                         "Datei liegt unter %1.damaged.3.")
                         .arg(file));
        const QString without
                = DamagedFileReport(file, QStringLiteral("Read beyond end of file"), {{}, "Disk full"});
        QVERIFY(without.contains(
                QStringLiteral("Es konnte keine Kopie der Datei angelegt werden (Disk full).")));
        QVERIFY(!without.contains(QStringLiteral(".damaged")));
    }

    // Start-up with a damaged options.dat: reported with the copy's place, and closing the program
    // (which writes options.dat) leaves the copy as it was.
    void startUpKeepsTheDamagedFile_data()
    {
        QTest::addColumn<QByteArray>("damaged");
        QTest::newRow("empty after a power cut") << QByteArray();
        QTest::newRow("cut inside the first text") << golden("full.kvt").left(7);
        QTest::newRow("cut inside the address list") << golden("full.kvt").chopped(20);
    }
    void startUpKeepsTheDamagedFile()
    {
        QFETCH(QByteArray, damaged);
        writeBytes(optionsDat(), damaged);
        CreateApplicationWindows();
        MainForm->show();

        const QString copy = optionsDat() + QStringLiteral(".damaged");
        QCOMPARE(fileBytes(copy), damaged);
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        const ScriptedDialogs::Message report = (*m_dialogs)->messages.first();
        QCOMPARE(report.icon, TMsgIcon::Error);
        QVERIFY2(report.text.contains(QDir::toNativeSeparators(copy) + QLatin1Char('.')),
                 qPrintable(report.text));
        QVERIFY(report.text.contains(QStringLiteral("Eine unveränderte Kopie der Datei liegt unter")));

        MainForm->close();
        QVERIFY(!MainForm->isVisible());
        QVERIFY(fileBytes(optionsDat()) != damaged);
        QVERIFY(fileBytes(optionsDat()).size() >= 122);
        QCOMPARE(fileBytes(copy), damaged);
        QCOMPARE(settingsFiles(), (QStringList{"options.dat", "options.dat.damaged", "options0.dat"}));
    }

    // The first showing stops at the report, so the next showing reads the file again: the same copy
    // is named, not a second one made.
    void showingAgainNamesTheSameCopy()
    {
        writeBytes(optionsDat(), golden("full.kvt").left(30));
        CreateApplicationWindows();
        MainForm->show();
        MainForm->hide();
        MainForm->show();
        QCOMPARE((*m_dialogs)->messages.size(), 2);
        QCOMPARE((*m_dialogs)->messages.at(1).text, (*m_dialogs)->messages.at(0).text);
        QCOMPARE(settingsFiles(), (QStringList{"options.dat", "options.dat.damaged"}));
    }

    // A copy from an earlier damage stays; the new one gets the next number.
    void earlierCopyIsKept()
    {
        writeBytes(optionsDat() + QStringLiteral(".damaged"), QByteArray("earlier"));
        writeBytes(optionsDat(), golden("full.kvt").left(30));
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(fileBytes(optionsDat() + QStringLiteral(".damaged")), QByteArray("earlier"));
        QCOMPARE(fileBytes(optionsDat() + QStringLiteral(".damaged.1")), golden("full.kvt").left(30));
        QVERIFY((*m_dialogs)
                        ->messages.value(0)
                        .text.contains(QDir::toNativeSeparators(optionsDat())
                                       + QStringLiteral(".damaged.1.")));
    }

    void wholeFileMakesNoCopy()
    {
        writeBytes(optionsDat(), golden("full.kvt"));
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE((*m_dialogs)->messages.size(), 0);
        QCOMPARE(ChooseAddressForm->addresses().size(), 3);
        QCOMPARE(settingsFiles(), QStringList{"options.dat"});
    }
};

KUVERTINO_GUI_TEST_MAIN(TestDamagedState)
#include "tst_damagedstate.moc"
