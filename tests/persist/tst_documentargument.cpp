#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/Components.h"
#include "app/MainUnit.h"
#include "app/Memo.h"

#include <QDir>
#include <QFile>

extern IsolatedEnvironment *TestEnv;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray golden(const char *name)
{
    return fileBytes(QStringLiteral(KUVERTINO_TEST_DATA "/persist/") + QLatin1String(name));
}

QString work(const QString &name)
{
    return TestEnv->path(QStringLiteral("work/")) + name;
}

} // namespace

class TestDocumentArgument : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    // Starts the windows with lastState as options.dat and the command line's document.
    void start(const QByteArray &lastState, const QString &document)
    {
        writeBytes(TestEnv->settingsFolder() + QStringLiteral("options.dat"), lastState);
        CreateApplicationWindows();
        MainForm->pendingDocument = document;
        MainForm->show();
    }
    // The envelope the window holds, as the bytes of a document.
    QByteArray envelope()
    {
        MainForm->SaveOptionsFile(work(QStringLiteral("now.kvt")));
        return fileBytes(work(QStringLiteral("now.kvt")));
    }

private slots:
    void init()
    {
        QDir(TestEnv->path(QStringLiteral("data"))).removeRecursively();
        QDir(TestEnv->path(QStringLiteral("work"))).removeRecursively();
        QDir().mkpath(TestEnv->path(QStringLiteral("work")));
        QFile::remove(TestEnv->programFolder() + QStringLiteral("translate.dat"));
        m_dialogs = std::make_unique<ScriptedDialogsGuard>();
    }
    void cleanup()
    {
        DestroyApplicationWindows();
        m_dialogs.reset();
    }

    void argument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected");
        const QString cwd = QDir::currentPath();
        QTest::newRow("none") << QStringList{"kuvertino"} << QString();
        QTest::newRow("empty") << QStringList{"kuvertino", ""} << QString();
        QTest::newRow("absolute") << QStringList{"kuvertino", "/a/b.kvt"} << QString("/a/b.kvt");
        QTest::newRow("relative") << QStringList{"kuvertino", "b.kvt"} << cwd + "/b.kvt";
        QTest::newRow("first of two")
                << QStringList{"kuvertino", "/a/b.kvt", "/c.kvt"} << QString("/a/b.kvt");
    }
    void argument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QCOMPARE(DocumentArgument(arguments), expected);
    }

    void documentOpenedAfterStartUp()
    {
        const QString doc = work(QStringLiteral("Brief.kvt"));
        writeBytes(doc, golden("full.kvt"));
        // The document wins over the last state that the start-up restores before it.
        start(golden("default.kvt"), doc);
        QVERIFY(MainForm->infirst);
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("Herrn Max Müller\r\nHauptstraße 1\r\n12345 Köln"));
        QCOMPARE(envelope().toHex(' '), golden("full.kvt").toHex(' '));
        QCOMPARE(MainForm->OpenDialog1->FileName, doc);
        QVERIFY((*m_dialogs)->messages.isEmpty());

        // Opened once: a later showing leaves the user's edits alone.
        MainForm->Memo1->setText(QStringLiteral("geändert"));
        MainForm->hide();
        MainForm->show();
        QCOMPARE(MainForm->Memo1->text(), QStringLiteral("geändert"));
        QVERIFY(MainForm->pendingDocument.isEmpty());
    }

    void unreadableChangesNothing_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QByteArray>("language"); // options0.dat (millimetres kept); empty = none
        QTest::addColumn<QString>("sentence");
        const QString german = QStringLiteral("Das Dokument konnte nicht geöffnet werden:");
        QTest::newRow("missing") << work("fehlt.kvt") << QByteArray() << german;
        QTest::newRow("a folder") << TestEnv->path(QStringLiteral("work")) << QByteArray() << german;
        QTest::newRow("missing, English") << work("fehlt.kvt") << QByteArray::fromHex("0100000001")
                                          << QStringLiteral("The document could not be opened:");
    }
    void unreadableChangesNothing()
    {
        QFETCH(QString, document);
        QFETCH(QByteArray, language);
        QFETCH(QString, sentence);
        if (!language.isEmpty()) {
            writeBytes(TestEnv->settingsFolder() + QStringLiteral("options0.dat"), language);
            QVERIFY(QFile::copy(QStringLiteral(KUVERTINO_BINARY_DIR "/translate.dat"),
                                TestEnv->programFolder() + QStringLiteral("translate.dat")));
        }
        start(golden("full.kvt"), document);
        QVERIFY(MainForm->infirst);
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        const ScriptedDialogs::Message m = (*m_dialogs)->messages.first();
        QVERIFY2(m.text.startsWith(sentence + QLatin1Char('\n') + QDir::toNativeSeparators(document) + '\n'),
                 qPrintable(m.text));
        QCOMPARE(m.icon, TMsgIcon::Error);
        QCOMPARE(m.buttons, TMsgButtons::Ok);
        // The last state stays as it was started.
        QCOMPARE(envelope().toHex(' '), golden("full.kvt").toHex(' '));
        QVERIFY(MainForm->OpenDialog1->FileName != document);
    }

    void withoutArgumentNothingIsShown()
    {
        start(golden("full.kvt"), QString());
        QVERIFY(MainForm->infirst);
        QVERIFY((*m_dialogs)->messages.isEmpty());
        QCOMPARE(envelope().toHex(' '), golden("full.kvt").toHex(' '));
    }

    void damagedLastStateKeepsDocumentForNextShowing()
    {
        // A last state cut inside a text stops the start-up work; the document waits for it.
        const QString doc = work(QStringLiteral("Brief.kvt"));
        writeBytes(doc, golden("full.kvt"));
        start(golden("default.kvt").left(6), doc);
        QVERIFY(!MainForm->infirst);
        QCOMPARE(MainForm->pendingDocument, doc);
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        writeBytes(TestEnv->settingsFolder() + QStringLiteral("options.dat"), golden("default.kvt"));
        MainForm->hide();
        MainForm->show();
        QVERIFY(MainForm->infirst);
        QCOMPARE(envelope().toHex(' '), golden("full.kvt").toHex(' '));
        QCOMPARE((*m_dialogs)->messages.size(), 1);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestDocumentArgument)
#include "tst_documentargument.moc"
