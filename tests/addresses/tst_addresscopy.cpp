#include "TestEnvironment.h"

#include "app/ChooseAddressFUnit.h"

#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

// The entries as the list itself holds them, read item by item.
QStringList inList(const TChooseAddressForm &form)
{
    QStringList all;
    for (int i = 0; i < form.ListView1->topLevelItemCount(); ++i)
        all << TChooseAddressForm::addressOf(form.ListView1->topLevelItem(i));
    return all;
}

using Step = std::function<void(TChooseAddressForm &)>;

} // namespace

Q_DECLARE_METATYPE(Step)

// addresses() keeps a copy of the list between reads; after every kind of change it must still be
// what the list holds.
class TestAddressCopy : public QObject
{
    Q_OBJECT

private slots:
    void copyFollowsEveryChange_data()
    {
        QTest::addColumn<Step>("change");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("append") << Step([](TChooseAddressForm &f) { f.appendAddress("D\r\n"); })
                                << QStringList{"A", "B\r\nb", "C", "D\r\n"};
        QTest::newRow("edit in place") << Step([](TChooseAddressForm &f) {
            f.ListView1->model()->setData(
                    f.ListView1->model()->index(1, 0), "X\r\nY", TChooseAddressForm::AddressRole);
        }) << QStringList{"A", "X\r\nY", "C"};
        QTest::newRow("set text of an item") << Step([](TChooseAddressForm &f) {
            TChooseAddressForm::setAddressOf(f.ListView1->topLevelItem(2), "Z");
        }) << QStringList{"A", "B\r\nb", "Z"};
        QTest::newRow("delete") << Step([](TChooseAddressForm &f) { delete f.ListView1->topLevelItem(0); })
                                << QStringList{"B\r\nb", "C"};
        QTest::newRow("delete, then append") << Step([](TChooseAddressForm &f) {
            delete f.ListView1->topLevelItem(1);
            f.appendAddress("E");
        }) << QStringList{"A", "C", "E"};
        QTest::newRow("take") << Step([](TChooseAddressForm &f) { delete f.ListView1->takeTopLevelItem(2); })
                              << QStringList{"A", "B\r\nb"};
        QTest::newRow("insert in front") << Step([](TChooseAddressForm &f) {
            auto *item = new QTreeWidgetItem;
            TChooseAddressForm::setAddressOf(item, "V");
            f.ListView1->insertTopLevelItem(0, item);
        }) << QStringList{"V", "A", "B\r\nb", "C"};
        QTest::newRow("sort") << Step([](TChooseAddressForm &f) {
            f.ListView1->sortItems(0, Qt::DescendingOrder);
        }) << QStringList{"C", "B\r\nb", "A"};
        QTest::newRow("clear") << Step([](TChooseAddressForm &f) { f.ListView1->clear(); }) << QStringList{};
        QTest::newRow("replace all") << Step([](TChooseAddressForm &f) {
            f.setAddresses({"P", "Q"});
        }) << QStringList{"P", "Q"};
        QTest::newRow("read while appending") << Step([](TChooseAddressForm &f) {
            QStringList seen;
            const auto c = QObject::connect(f.ListView1->model(),
                                            &QAbstractItemModel::rowsInserted,
                                            &f,
                                            [&f, &seen] { seen = f.addresses(); });
            f.appendAddress("D");
            QObject::disconnect(c);
            QCOMPARE(seen, (QStringList{"A", "B\r\nb", "C", "D"}));
        }) << QStringList{"A", "B\r\nb", "C", "D"};
        QTest::newRow("many appends") << Step([](TChooseAddressForm &f) {
            for (int i = 0; i < 50; ++i) {
                f.appendAddress(QString::number(i));
                QCOMPARE(f.addresses().size(), 4 + i);
            }
            f.ListView1->clear();
            f.appendAddress("nur");
        }) << QStringList{"nur"};
    }

    void copyFollowsEveryChange()
    {
        QFETCH(Step, change);
        QFETCH(QStringList, expected);
        TChooseAddressForm form;
        form.setAddresses({"A", "B\r\nb", "C"});
        // Read once so a copy exists before the change.
        QCOMPARE(form.addresses(), (QStringList{"A", "B\r\nb", "C"}));
        change(form);
        QCOMPARE(inList(form), expected);
        QCOMPARE(form.addresses(), expected);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestAddressCopy)
#include "tst_addresscopy.moc"
