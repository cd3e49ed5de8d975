#include "ScriptedDialogs.h"
#include "TestEnvironment.h"

#include "app/Application.h"
#include "app/Components.h"
#include "core/Errors.h"

#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <new>
#include <stdexcept>

namespace {

enum class Raised { None, InOut, Printer, Std, OutOfMemory };

[[noreturn]] void raise(Raised kind, const QString &text)
{
    switch (kind) {
    case Raised::InOut:
        throw EInOutError(text);
    case Raised::Printer:
        throw EPrinterError(text);
    case Raised::Std:
        throw std::runtime_error(text.toStdString());
    case Raised::OutOfMemory:
        throw std::bad_alloc();
    case Raised::None:
        break;
    }
    throw std::logic_error("no exception chosen");
}

// An object whose own event handling raises, outside any guarded handler.
class Thrower : public QObject
{
public:
    Raised kind = Raised::None;
    QString text;
    int delivered = 0;
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++delivered;
        if (kind != Raised::None)
            raise(kind, text);
        return true;
    }
};

// A window with handlers, as the program's windows wire them.
class Form : public QObject
{
public:
    Raised kind = Raised::None;
    QString text;
    QList<int> values;
    int runs = 0;
    void Click()
    {
        ++runs;
        if (kind != Raised::None)
            raise(kind, text);
    }
    void ValueChange(int value)
    {
        values.append(value);
        Click();
    }
};

} // namespace

Q_DECLARE_METATYPE(Raised)

class TestApplication : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedDialogsGuard> m_dialogs;

    void addRaisedRows()
    {
        QTest::addColumn<Raised>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("I/O error") << Raised::InOut << "Disk write error: no space"
                                   << "Disk write error: no space";
        QTest::newRow("printer error") << Raised::Printer << "Der Drucker ist nicht bereit"
                                       << "Der Drucker ist nicht bereit";
        QTest::newRow("standard exception") << Raised::Std << "vector::_M_range_check"
                                            << "vector::_M_range_check";
        QTest::newRow("out of memory") << Raised::OutOfMemory << ""
                                       << "Zu wenig Arbeitsspeicher.";
    }

    void expectOneReport(const QString &shown)
    {
        QCOMPARE((*m_dialogs)->messages.size(), 1);
        const ScriptedDialogs::Message &m = (*m_dialogs)->messages.first();
        QCOMPARE(m.text, shown);
        QCOMPARE(m.icon, TMsgIcon::Error);
        QCOMPARE(m.buttons, TMsgButtons::Ok);
    }

private slots:
    void init() { m_dialogs = std::make_unique<ScriptedDialogsGuard>(); }
    void cleanup() { m_dialogs.reset(); }

    void lastResortReportsAnEventThatRaises_data() { addRaisedRows(); }
    void lastResortReportsAnEventThatRaises()
    {
        QFETCH(Raised, kind);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        Thrower target;
        target.kind = kind;
        target.text = text;
        QEvent event(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&target, &event));
        expectOneReport(shown);

        // The program carries on: the next event is delivered as usual and reports nothing.
        target.kind = Raised::None;
        QEvent next(QEvent::User);
        QVERIFY(QCoreApplication::sendEvent(&target, &next));
        QCOMPARE(target.delivered, 2);
        QCOMPARE((*m_dialogs)->messages.size(), 1);
    }

    void lastResortReportsAnUnguardedSlot_data() { addRaisedRows(); }
    void lastResortReportsAnUnguardedSlot()
    {
        // A queued call reaches its slot through the event loop, not through a guarded handler.
        QFETCH(Raised, kind);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        bool later = false;
        QTimer::singleShot(0, this, [kind, text] { raise(kind, text); });
        QTimer::singleShot(0, this, [&later] { later = true; });
        QTRY_VERIFY(later);
        expectOneReport(shown);
    }

    void eventsThatRaiseNothingPassUnchanged()
    {
        Thrower target;
        QEvent handled(QEvent::User);
        QVERIFY(QCoreApplication::sendEvent(&target, &handled));
        QEvent unhandled(QEvent::Enter);
        QVERIFY(!QCoreApplication::sendEvent(&target, &unhandled));
        QCOMPARE(target.delivered, 1);
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void guardedConnectReportsAndSenderCarriesOn_data() { addRaisedRows(); }
    void guardedConnectReportsAndSenderCarriesOn()
    {
        QFETCH(Raised, kind);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        Form form;
        form.kind = kind;
        form.text = text;
        QSpinBox box;
        ConnectGuarded(&box, &QSpinBox::valueChanged, &form, &Form::ValueChange);
        int after = 0;
        QObject::connect(&box, &QSpinBox::valueChanged, &box, [&after] { ++after; });
        box.setValue(7);
        QCOMPARE(form.values, QList<int>{7});
        expectOneReport(shown);
        // The emission went on to the next receiver, and the next change runs the handler again.
        QCOMPARE(after, 1);
        box.setValue(8);
        QCOMPARE(form.values, (QList<int>{7, 8}));
        QCOMPARE((*m_dialogs)->messages.size(), 2);
    }

    void guardedConnectPassesArgumentsOrNone()
    {
        Form form;
        QSpinBox box;
        ConnectGuarded(&box, &QSpinBox::valueChanged, &form, &Form::ValueChange);
        ConnectGuarded(&box, &QSpinBox::valueChanged, &form, &Form::Click);
        box.setValue(3);
        box.setValue(42);
        QCOMPARE(form.values, (QList<int>{3, 42}));
        QCOMPARE(form.runs, 4);
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }

    void guardedConnectionEndsWithTheWindow()
    {
        auto form = std::make_unique<Form>();
        QSpinBox box;
        const QMetaObject::Connection c
                = ConnectGuarded(&box, &QSpinBox::valueChanged, form.get(), &Form::ValueChange);
        QVERIFY(c);
        form.reset();
        box.setValue(5); // would touch the freed window if the connection outlived it
        QVERIFY((*m_dialogs)->messages.isEmpty());
    }
};

// The test runs inside the program's own application object, as the handlers do.
int main(int argc, char *argv[])
{
    IsolatedEnvironment env;
    TestEnv = &env;
    KuvertinoApplication app(argc, argv);
    env.prepareApplication();
    TestApplication tc;
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_application.moc"
