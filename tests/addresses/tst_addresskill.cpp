// The address list against a killed program: each step runs in a child process of this test that is
// killed (SIGKILL, no closing of windows) once it has done its work.
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/ChooseAddressFUnit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/SettingsFile.h"
#include "print/Printer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTreeWidget>
#include <QtTest>

#include <cstdio>

namespace {

QString escaped(QString s)
{
    s.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    s.replace(QStringLiteral("\r"), QStringLiteral("\\r"));
    s.replace(QStringLiteral("\n"), QStringLiteral("\\n"));
    return s;
}

// Child: start as the program does, show the list it read, do one step, say so, and wait to be killed.
int childMain(int argc, char *argv[])
{
    // The parent's environment, inherited: the same settings folder for every step.
    IsolatedEnvironment env;
    QApplication app(argc, argv);
    env.prepareApplication();
    SetDialogs(std::make_unique<ScriptedDialogs>());
    CreateApplicationWindows();
    MainForm->show();
    for (const QString &a : ChooseAddressForm->addresses())
        std::printf("item %s\n", qPrintable(escaped(a)));
    const QString step = QString::fromLocal8Bit(argv[2]);
    if (step == QLatin1String("store")) {
        MainForm->Memo1->setText(
                QString::fromUtf8(argv[3]).replace(QStringLiteral("|"), QStringLiteral("\r\n")));
        MainForm->SaveInListBtn->click();
    } else if (step == QLatin1String("csv")) {
        // A list run over the file named; the parent kills it on the way.
        auto scripted = std::make_unique<ScriptedDialogs>();
        scripted->fileAnswers.enqueue(QString::fromLocal8Bit(argv[3]));
        SetDialogs(std::move(scripted));
        std::printf("running\n");
        std::fflush(stdout);
        MainForm->CSVDateiinAdresslisteladen1Click();
    } else if (step == QLatin1String("delete")) {
        ChooseAddressForm->ListView1->topLevelItem(0)->setSelected(true);
        ChooseAddressForm->BitBtn3->click();
    }
    std::printf("messages %d\n", int(static_cast<ScriptedDialogs &>(Dialogs()).messages.size()));
    std::printf("ready %d\n", int(ChooseAddressForm->addresses().size()));
    std::fflush(stdout);
    return app.exec();
}

} // namespace

class TestAddressKill : public QObject
{
    Q_OBJECT
    QString m_self;

    void startChild(QProcess &p, const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(m_self, QStringList{QStringLiteral("--child")} + args);
    }

    QString optionsDat() const { return TestEnv->settingsFolder() + QStringLiteral("options.dat"); }

    // Runs one step in a child, kills it when it is done, and returns the items it read at start.
    QStringList step(const QStringList &args, int *countAfter = nullptr, int *messages = nullptr)
    {
        QProcess p;
        startChild(p, args);
        if (!p.waitForStarted())
            return {QStringLiteral("<no start>")};
        QByteArray out;
        while (!out.contains("ready ")) {
            if (!p.waitForReadyRead(60000))
                break;
            out += p.readAllStandardOutput();
        }
        while (!out.endsWith('\n') && p.waitForReadyRead(5000))
            out += p.readAllStandardOutput();
        p.kill();
        p.waitForFinished();
        QStringList items;
        for (const QByteArray &l : out.split('\n')) {
            if (l.startsWith("item "))
                items << QString::fromLocal8Bit(l.mid(5));
            else if (l.startsWith("ready ") && countAfter)
                *countAfter = l.mid(6).toInt();
            else if (l.startsWith("messages ") && messages)
                *messages = l.mid(9).toInt();
        }
        if (!out.contains("ready "))
            items << QStringLiteral("<child did not finish: %1>")
                             .arg(QString::fromLocal8Bit(p.readAllStandardError()));
        return items;
    }

private slots:
    void initTestCase() { m_self = QCoreApplication::applicationFilePath(); }

    void storedSurvivesKill()
    {
        int after = 0;
        QCOMPARE(step({QStringLiteral("store"), QStringLiteral("Herrn|Dr. Meier|12345 Berlin")}, &after),
                 QStringList{});
        QCOMPARE(after, 1);
        QCOMPARE(step({QStringLiteral("dump")}), QStringList{"Herrn\\r\\nDr. Meier\\r\\n12345 Berlin"});
    }

    void deletedComesBackAfterKill()
    {
        int after = -1;
        QCOMPARE(step({QStringLiteral("delete")}, &after),
                 QStringList{"Herrn\\r\\nDr. Meier\\r\\n12345 Berlin"});
        QCOMPARE(after, 0);
        // Deleting writes nothing: the killed program's last file still holds the entry.
        QCOMPARE(step({QStringLiteral("store"), QStringLiteral("Zweite")}, &after),
                 QStringList{"Herrn\\r\\nDr. Meier\\r\\n12345 Berlin"});
        QCOMPARE(after, 2);
        QCOMPARE(step({QStringLiteral("dump")}),
                 (QStringList{"Herrn\\r\\nDr. Meier\\r\\n12345 Berlin", "Zweite"}));
    }

    // A list run killed half-way: every record stored before the kill is there at the next start, in
    // order, and the file the run left is a whole one (as is every state of it seen on the way).
    void listRunKilledLosesNothingStored()
    {
        QFile::remove(optionsDat());
        const int lines = 5000;
        const QString csv = TestEnv->path(QStringLiteral("adressen.csv"));
        {
            QFile f(csv);
            QVERIFY(f.open(QIODevice::WriteOnly));
            for (int i = 1; i <= lines; ++i)
                f.write("Firma " + QByteArray::number(i) + ";Weg " + QByteArray::number(i) + "\r\n");
        }
        QProcess p;
        startChild(p, {QStringLiteral("csv"), csv});
        QVERIFY(p.waitForStarted());
        int seen = 0;
        QStringList damaged;
        QElapsedTimer waited;
        waited.start();
        while (seen < 300 && waited.elapsed() < 120000 && p.state() == QProcess::Running) {
            p.waitForReadyRead(10);
            p.readAllStandardOutput();
            QFile f(optionsDat());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            const TSettingsReadResult r = ReadSettingsFile(f);
            if (r.error)
                damaged << QStringLiteral("%1 bytes: %2").arg(f.size()).arg(*r.error);
            else
                seen = qMax(seen, int(r.values.addresses.size()));
        }
        p.kill();
        p.waitForFinished();
        QVERIFY2(damaged.isEmpty(), qPrintable(damaged.join(QStringLiteral("; "))));
        QVERIFY2(seen >= 300, qPrintable(QString::number(seen)));

        int messages = -1;
        const QStringList items = step({QStringLiteral("dump")}, nullptr, &messages);
        QCOMPARE(messages, 0);
        QVERIFY2(items.size() >= seen, qPrintable(QStringLiteral("%1 < %2").arg(items.size()).arg(seen)));
        // Killed on the way, not after the end.
        QVERIFY(items.size() < lines);
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(items.at(i), QStringLiteral("Firma %1\\r\\nWeg %1\\r\\n").arg(i + 1));
    }
};

int main(int argc, char *argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child")
        return childMain(argc, argv);
    return RunIsolatedGuiTest<TestAddressKill>(argc, argv);
}
#include "tst_addresskill.moc"
