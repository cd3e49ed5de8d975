#include "TestEnvironment.h"
#include "app/AboutBoxUnit.h"

#include <QPixmap>
#include <QTest>

// The information dialog's picture and the window icon are the desktop icon (an SVG resource).
class TestProgramIcon : public QObject
{
    Q_OBJECT

private slots:
    void drawnFromTheIcon_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<QPointF>("origin"); // where the icon's square starts, in logical pixels
        QTest::addColumn<qreal>("scale");    // logical pixels per icon unit (the icon is 256 wide)
        QTest::newRow("icon size") << QSize(256, 256) << 1.0 << QPointF(0, 0) << 1.0;
        QTest::newRow("window icon") << QSize(64, 64) << 1.0 << QPointF(0, 0) << 0.25;
        QTest::newRow("dialog, taller than wide") << QSize(306, 322) << 1.0 << QPointF(0, 8) << 306 / 256.0;
        QTest::newRow("dialog, scaled screen") << QSize(306, 322) << 2.0 << QPointF(0, 8) << 306 / 256.0;
    }
    void drawnFromTheIcon()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        QFETCH(QPointF, origin);
        QFETCH(qreal, scale);
        const QPixmap pm = EnvelopePicture(size, ratio);
        QCOMPARE(pm.size(), size * ratio);
        QCOMPARE(pm.devicePixelRatio(), ratio);
        const QImage image = pm.toImage();
        const auto at = [&](qreal x, qreal y) {
            return image.pixelColor(
                    QPointF((origin.x() + x * scale) * ratio, (origin.y() + y * scale) * ratio).toPoint());
        };
        QCOMPARE(at(202, 96).name(), QString("#c83c32"));  // the stamp
        QCOMPARE(at(40, 180).name(), QString("#faf4e4"));  // the paper below the flap
        QCOMPARE(at(128, 100).name(), QString("#ece0c4")); // the flap
        QCOMPARE(at(4, 4).alpha(), 0);                     // outside the envelope
        QCOMPARE(at(128, 240).alpha(), 0);
    }
};

KUVERTINO_GUI_TEST_MAIN(TestProgramIcon)
#include "tst_programicon.moc"
