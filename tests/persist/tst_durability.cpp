// Which writes reach the disk before they replace the old file: every user command, the exit, the end
// of a list run and the two tables are synced; only the per-record writes inside a list run are fast.
#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/BitBtnXP.h"
#include "app/ChooseAddressFUnit.h"
#include "app/MainUnit.h"
#include "app/Memo.h"
#include "core/AtomicFile.h"
#include "core/FastStateWrites.h"
#include "core/translateunit.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTreeWidget>

extern IsolatedEnvironment *TestEnv;

namespace {

// Every step of every replacement, as "file durability step"; the translation table's apart, since
// any text new to the test's empty table writes it.
QStringList g_writes;
QStringList g_tableWrites;

void record(const QString &fname, TFileDurability durability, TReplaceStep step)
{
    const char *word = "";
    switch (step) {
    case TReplaceStep::FileSynced:
        word = "file";
        break;
    case TReplaceStep::Swapped:
        word = "swap";
        break;
    case TReplaceStep::FolderSynced:
        word = "folder";
        break;
    case TReplaceStep::WrittenInPlace:
        word = "inplace";
        break;
    }
    (QFileInfo(fname).fileName() == QLatin1String("translate.dat") ? g_tableWrites : g_writes)
            << QStringLiteral("%1 %2 %3")
                       .arg(QFileInfo(fname).fileName(),
                            durability == TFileDurability::Synced ? QStringLiteral("synced")
                                                                  : QStringLiteral("fast"),
                            QLatin1String(word));
}

// A synced replacement: the new file on the disk, swapped in, the folder entry on the disk.
QStringList synced(const QString &name)
{
    return {name + QStringLiteral(" synced file"),
            name + QStringLiteral(" synced swap"),
            name + QStringLiteral(" synced folder")};
}

QStringList fast(const QString &name)
{
    return {name + QStringLiteral(" fast swap")};
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace

class TestDurability : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    QString csvFile(const QByteArray &bytes)
    {
        const QString path = TestEnv->path(QStringLiteral("adressen.csv"));
        writeBytes(path, bytes);
        return path;
    }

private slots:
    void init()
    {
        QDir(TestEnv->path(QStringLiteral("data"))).removeRecursively();
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
        CreateApplicationWindows();
        MainForm->show();
        // The table beside the program exists from here on: only new texts write it.
        TranslateText(QStringLiteral("OK"));
        g_writes.clear();
        g_tableWrites.clear();
        SetReplaceObserver(record);
    }
    void cleanup()
    {
        SetReplaceObserver(nullptr);
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void checkpoints_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("writes");

        QTest::newRow("Speichern into the list") << "store" << synced("options.dat");
        QTest::newRow("keep-open switched") << "keepopen" << synced("options.dat");
        QTest::newRow("keep-open switched back")
                << "keepopen twice" << (synced("options.dat") + synced("options.dat"));
        QTest::newRow("Speichern unter") << "saveas" << synced("brief.kvt");
        QTest::newRow("exit") << "exit" << (synced("options.dat") + synced("options0.dat"));
        QTest::newRow("list run: fast per record, synced at the end")
                << "listrun"
                << (fast("options.dat") + fast("options.dat") + fast("options.dat") + synced("options.dat"));
        QTest::newRow("list run of a file without records") << "emptylistrun" << QStringList{};
        QTest::newRow("Speichern after a list run")
                << "listrun store"
                << (fast("options.dat") + fast("options.dat") + fast("options.dat") + synced("options.dat")
                    + synced("options.dat"));
        QTest::newRow("print run writes no state") << "printrun" << QStringList{};
        QTest::newRow("a new text saves translate.dat") << "newtext" << QStringList{};
        QTest::newRow("deleting from the list writes nothing") << "delete" << QStringList{};
    }
    void checkpoints()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, writes);
        const QByteArray threeLines("Meier;Weg 1\r\nSchulz;Weg 2\r\n\"Braun\";\"Weg 3\"\r\n");
        for (const QString &a : action.split(QLatin1Char(' '))) {
            if (a == QLatin1String("store")) {
                MainForm->Memo1->setText(QStringLiteral("Herrn\r\nMeier"));
                MainForm->SaveInListBtn->click();
            } else if (a == QLatin1String("keepopen")) {
                MainForm->Adresslisteimmeroffenhalten1->trigger();
            } else if (a == QLatin1String("twice")) {
                MainForm->Adresslisteimmeroffenhalten1->trigger();
            } else if (a == QLatin1String("saveas")) {
                (*m_dialogs)->fileAnswers.enqueue(TestEnv->path(QStringLiteral("brief")));
                MainForm->Speichernunter1->trigger();
            } else if (a == QLatin1String("exit")) {
                MainForm->close();
            } else if (a == QLatin1String("listrun")) {
                (*m_dialogs)->fileAnswers.enqueue(csvFile(threeLines));
                MainForm->CSVDateiinAdresslisteladen1->trigger();
                QCOMPARE(ChooseAddressForm->addresses().size(), 3);
            } else if (a == QLatin1String("emptylistrun")) {
                (*m_dialogs)->fileAnswers.enqueue(csvFile(QByteArray("\r\n\r\n")));
                MainForm->CSVDateiinAdresslisteladen1->trigger();
            } else if (a == QLatin1String("printrun")) {
                (*m_dialogs)->fileAnswers.enqueue(csvFile(threeLines));
                MainForm->CSVImportieren1->trigger();
            } else if (a == QLatin1String("newtext")) {
                TranslateText(QStringLiteral("Ein Text, den die Tabelle noch nicht kennt"));
            } else if (a == QLatin1String("delete")) {
                ChooseAddressForm->setAddresses({QStringLiteral("eins"), QStringLiteral("zwei")});
                ChooseAddressForm->ListView1->topLevelItem(0)->setSelected(true);
                ChooseAddressForm->BitBtn3->click();
            }
        }
        QCOMPARE(g_writes, writes);
        // Every save of the table, whatever text brought it, is synced.
        if (action == QLatin1String("newtext"))
            QCOMPARE(g_tableWrites, synced("translate.dat"));
        for (int i = 0; i < g_tableWrites.size(); i += 3)
            QCOMPARE(g_tableWrites.mid(i, 3), synced("translate.dat"));
        QCOMPARE(LastStateDurability(), TFileDurability::Synced);
    }

    // A run stopped by an error still ends with its synced write; nested scopes write once, at the
    // outermost end.
    void scopeEndsSynced()
    {
        {
            FastStateWrites outer([] { MainForm->SaveOptions(); });
            QCOMPARE(LastStateDurability(), TFileDurability::Fast);
            {
                FastStateWrites inner([] { MainForm->SaveOptions(); });
                MainForm->SaveOptions();
                inner.finish();
            }
            QCOMPARE(LastStateDurability(), TFileDurability::Fast);
            MainForm->SaveOptions();
            // No finish(): an error left the run.
        }
        QCOMPARE(g_writes, (fast("options.dat") + fast("options.dat") + synced("options.dat")));
        QCOMPARE(LastStateDurability(), TFileDurability::Synced);
        g_writes.clear();
        {
            FastStateWrites nothingWritten([] { MainForm->SaveOptions(); });
            nothingWritten.finish();
        }
        QCOMPARE(g_writes, QStringList{});
    }

    // The copy of a damaged options.dat is on the disk before the start-up report names it.
    void damagedCopyIsSynced()
    {
        DestroyApplicationWindows();
        QVERIFY(QDir().mkpath(TestEnv->settingsFolder()));
        writeBytes(TestEnv->settingsFolder() + QStringLiteral("options.dat"), QByteArray("\x05\x00", 2));
        g_writes.clear();
        CreateApplicationWindows();
        MainForm->show();
        QCOMPARE(g_writes, synced("options.dat.damaged"));
        QCOMPARE((*m_dialogs)->messages.size(), 1);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestDurability)
#include "tst_durability.moc"
