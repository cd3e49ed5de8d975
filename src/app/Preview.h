#pragma once

#include <QImage>
#include <QPalette>

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>

class QIcon;
class QLocale;
class QSize;
class PictureCache;
struct EnvelopeValue;
class TMainForm;

// The band of the scroll box's background around the preview's sheet, on each side.
inline constexpr int PreviewBand = 8;
// The preview's drawing area for a sheet: the sheet with the band around it.
QSize PreviewBoxSize(const QSize &sheet);

// The page-size label: "w<mm> x h<mm>", or "w <Zoll> x h <Zoll>" in inch mode, each number with two
// decimals in locale's decimal separator and no group separators.
QString PageSizeLabelText(int pageWidth,
                          int pageHeight,
                          int printerDpi,
                          bool inchMode,
                          const QString &mmText,
                          const QString &inchText,
                          const QLocale &locale);

// The largest zoom from minZoom to maxZoom at which a printable page of pageWidth x pageHeight printer
// pixels (printerDpi), drawn at screenDpi with the preview's band around it, fits an area of the given
// size without scroll bars; minZoom when not even that fits.
int WholeSheetZoom(int pageWidth,
                   int pageHeight,
                   int screenDpi,
                   int printerDpi,
                   const QSize &area,
                   int minZoom,
                   int maxZoom);

// The picture of the whole-sheet command: a sheet between four corner marks.
QIcon WholeSheetIcon(const QPalette &palette);

// The image a preview draws its exposed part into: device pixels, fonts at the screen's logical
// resolution. Null when it does not fit into memory.
QImage PreviewImage(const QSize &exposed, qreal devicePixelRatio, int screenDpi);

// How many times the preview has drawn the sheet since start (lets tests tell a resize from a drawing).
quint64 PreviewSheetDrawings();

// Turns the mouse wheel over one window into whole steps: 120 units of the wheel make one step, and
// smaller turns add up. One turn reaches several objects on its way (the window system's window, the
// widget under the mouse, its parents, a scroll bar it is handed to) and is counted once. Over the
// preview the wheel does nothing but the steps; other controls still see it. Each filter counts for
// itself, so a window made again starts from nothing.
class PreviewWheelFilter : public QObject
{
    Q_OBJECT
public:
    // Watches the application's wheel events from now until the filter ends.
    PreviewWheelFilter(QWidget *window, QWidget *preview);
    ~PreviewWheelFilter() override;

signals:
    void stepDown();
    void stepUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handedToBar(const QWidget *widget) const;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_preview;
    // The widget the last turn was delivered to, while it may still be on its way.
    const QEvent *m_lastEvent = nullptr;
    QPointer<QWidget> m_lastWidget;
    int m_accumulated = 0;
};
