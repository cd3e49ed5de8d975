#pragma once

#include "core/Envelope.h"

#include <QMarginsF>
#include <QSizeF>
#include <QStringList>
#include <QWidget>

class TPrinter;

// The printer page an envelope is previewed for: what the main window's preview reads from the printer.
struct TPreviewPage
{
    int pageWidth = 0; // printable page in printer pixels
    int pageHeight = 0;
    int printerDpi = 0;
    bool fromPaperEdge = false; // calibrated from the paper's edge: the preview marks the printable area
    QSizeF paperMm;
    QMarginsF marginsMm;
};
TPreviewPage PreviewPageOf(const TPrinter &printer);

// One envelope drawn at the largest whole zoom that fits the widget, with the main preview's band
// around the sheet, through the shared renderer and the same sheet rule as the main preview. Sharp on
// scaled screens: the sheet is rendered at device pixels.
class TRecordPreview : public QWidget
{
    Q_OBJECT
public:
    explicit TRecordPreview(QWidget *parent = nullptr);

    void setPage(const TPreviewPage &page);
    // The design and the record whose envelope is drawn (see DrawRecordEnvelope).
    void setRecord(const EnvelopeValue &design, const QStringList &fields, bool skipEmptyLines);
    // The envelope drawn, its recipient included.
    EnvelopeValue envelope() const;

    // The zoom the sheet is drawn at for the widget's present size, and the sheet's rectangle in it.
    int zoom() const;
    QRect sheetRect() const;
    // How many times the sheet has been drawn (tells a redraw from a resize in tests and benches).
    quint64 drawings() const { return m_drawings; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TPreviewPage m_page;
    EnvelopeValue m_design;
    QStringList m_fields;
    bool m_skipEmptyLines = false;
    quint64 m_drawings = 0;
};
