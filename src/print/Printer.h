#pragma once

#include "print/PrinterCalibration.h"

#include <QList>
#include <QPageSize>
#include <QString>

#include <memory>

class QPainter;
class QPrinter;
class QTemporaryFile;

// The printer's own sentences, German keys of the translation table. A printer error shows one in
// the interface language, followed by the platform's own words where it gave any.
namespace PrinterText {
inline constexpr char JobInProgress[] = "Ein Druckauftrag läuft bereits.";
inline constexpr char NoJobInProgress[] = "Es läuft kein Druckauftrag.";
inline constexpr char PdfFolderNotCreated[]
        = "Der Ordner \"%1\" für die PDF-Dateien kann nicht angelegt werden.";
inline constexpr char PdfFileNotWritten[] = "Die PDF-Datei \"%1\" kann nicht geschrieben werden.";
inline constexpr char JobNotStarted[] = "Der Druckauftrag kann nicht begonnen werden.";
inline constexpr char PrinterCannotStart[] = "Der Drucker \"%1\" kann den Druckauftrag nicht beginnen.";
inline constexpr char JobNotFinished[] = "Der Druckauftrag konnte nicht abgeschlossen werden.";
inline constexpr char JobRefused[] = "Der Drucker \"%1\" hat den Druckauftrag abgelehnt.";
inline constexpr char PageNotStarted[] = "Die nächste Seite des Druckauftrags kann nicht begonnen werden.";
inline constexpr const char *All[] = {JobInProgress,
                                      NoJobInProgress,
                                      PdfFolderNotCreated,
                                      PdfFileNotWritten,
                                      JobNotStarted,
                                      PrinterCannotStart,
                                      JobNotFinished,
                                      JobRefused,
                                      PageNotStarted};
} // namespace PrinterText

// The printer settings record as the paper-format code writes it: paper code, orientation,
// custom length and width in tenths of a millimetre, and the mask of valid fields.
struct TDevMode
{
    static constexpr quint32 DM_ORIENTATION = 0x1;
    static constexpr quint32 DM_PAPERSIZE = 0x2;
    static constexpr quint32 DM_PAPERLENGTH = 0x4;
    static constexpr quint32 DM_PAPERWIDTH = 0x8;
    static constexpr int DMORIENT_PORTRAIT = 1;
    static constexpr int DMORIENT_LANDSCAPE = 2;
    static constexpr int DMPAPER_USER = 256;

    int dmPaperSize = 0; // 0 = no paper code: applying keeps the paper in force
    int dmOrientation = DMORIENT_PORTRAIT;
    int dmPaperLength = 0;
    int dmPaperWidth = 0;
    quint32 dmFields = 0;
};

// The one printer object: the current printer (the system default at start) with its settings record.
// Without any installed printer it is a built-in PDF printer that writes one PDF file per job.
class TPrinter
{
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter &) = delete;
    TPrinter &operator=(const TPrinter &) = delete;

    // Where the built-in PDF printer puts its files (default: Documents/Kuvertino/). Tests set a
    // temporary folder and may force the built-in printer although a system printer exists.
    static void setPdfOutputFolder(const QString &folder);
    static QString pdfOutputFolder();
    void useBuiltInPdfPrinter();
    // Selects a system printer by name with its default settings (empty name = built-in PDF printer).
    void selectPrinter(const QString &name);

    bool isBuiltInPdfPrinter() const;
    QString printerName() const;

    // Selects the current printer again with its default document settings, discarding every earlier
    // choice (paper, orientation, set-up dialog), and resets the settings record to match them.
    void reselectWithDefaults();
    // The settings record; apply it with applySettings() so later queries and jobs use it.
    TDevMode &settings() { return m_devMode; }
    const TDevMode &settings() const { return m_devMode; }
    void applySettings();
    // Takes paper and orientation from the QPrinter after the set-up dialog changed it.
    void syncSettingsFromPrinter();

    // Printable area of the current paper in device pixels, and the horizontal resolution in dpi. Page,
    // paper, border and orientation are those of the envelope as it lies, whichever way it is fed.
    int pageWidth() const;
    int pageHeight() const;
    int resolutionX() const;
    // The paper's full size in millimetres as the printer reports it (for tests and the set-up dialog).
    QSizeF paperSizeMM() const;
    bool isLandscape() const;
    // The paper in force, defined upright (the orientation is isLandscape()).
    QPageSize paperSize() const;

    // The current printer's own set-up (read from the settings store whenever a printer is chosen).
    // Measured from the paper's edge, the page is the whole paper with its origin at the paper's
    // corner; the shift moves every job that starts afterwards.
    const PrinterCalibration &calibration() const { return m_calibration; }
    void setCalibration(const PrinterCalibration &calibration);
    // The paper's border the printer cannot print on, in millimetres, in the page's orientation.
    QMarginsF unprintableMarginsMM() const;
    // Maps the page as drawn (the envelope's orientation, printable-area or paper origin, shift
    // included) to the page of a job fed short edge first or turned.
    QTransform feedTransformPixels() const;

    void setTitle(const QString &title);
    QString title() const;

    // A job: beginDoc starts it on its first page (throws EPrinterError when the service refuses),
    // canvas() draws on the page, newPage() goes on to another page of the same job, endDoc hands the
    // whole job to the spooler, abortDoc drops it.
    void beginDoc();
    QPainter &canvas();
    void newPage();
    void endDoc();
    void abortDoc();
    bool printing() const;
    // The file the built-in PDF printer wrote for the last finished job.
    QString lastOutputFile() const;
    // The print service's id of the last job handed to a system printer (0 = none yet), and the ids
    // of the most recent jobs of this run, oldest first (at most JobHistorySize).
    int lastJobId() const;
    static constexpr int JobHistorySize = 64;
    QList<int> recentJobIds() const { return m_recentJobIds; }

    QPrinter &qprinter() { return *m_printer; }

private:
    void createPrinter(const QString &name);
    void applyOrientation();
    QSize pageSizePixels() const;
    QString nextPdfFileName() const;
    void cleanUpJobFiles(bool removeOutput);

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    TDevMode m_devMode;
    PrinterCalibration m_calibration;
    QString m_title;
    QString m_lastOutputFile;
    QString m_currentPdfFile;
    std::unique_ptr<QTemporaryFile> m_jobFile; // a system printer's job until it is handed over
    mutable QString m_lastStem;
    mutable int m_lastNumber = 0;
    int m_lastJobId = 0;
    QList<int> m_recentJobIds;
    bool m_builtIn = false;
};

// The paper a platform paper code asks for, upright (the user code: B6, 125 x 176 mm); an invalid
// size for a code no paper answers to.
QPageSize PageSizeForPaperCode(int code);

// The one printer object of the process, created on first use.
TPrinter &Printer();
