#include "app/PdfNotice.h"

#include "app/Dialogs.h"
#include "core/translateunit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QUrl>

namespace {

// German keys of the translation table.
constexpr char OneFileText[] = "Gedruckt in die PDF-Datei \"%1\".";
constexpr char ManyFilesText[] = "%1 Umschläge gedruckt in PDF-Dateien im Ordner \"%2\".";
constexpr char OpenFolderText[] = "Ordner öffnen";
constexpr char CloseText[] = "Schließen";

QAccessibleInterface *noticeAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("TPdfNotice") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

void InstallPdfNoticeAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(noticeAccessible);
    installed = true;
}

TPdfNotice::TPdfNotice(QWidget *parent)
    : QFrame(parent)
    , m_text(new QLabel(this))
    , m_open(new QPushButton(this))
    , m_close(new QToolButton(this))
{
    setObjectName(QStringLiteral("PdfNotice"));
    m_text->setObjectName(QStringLiteral("PdfNoticeText"));
    m_open->setObjectName(QStringLiteral("PdfNoticeOpenBtn"));
    m_close->setObjectName(QStringLiteral("PdfNoticeCloseBtn"));
    setFrameShape(QFrame::StyledPanel);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    // A long path is cut at the window's edge rather than widening the window; the tip shows it whole.
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setForegroundRole(QPalette::ToolTipText);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_open->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setAutoRaise(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 4, 2);
    row->addWidget(m_text, 1);
    row->addWidget(m_open);
    row->addWidget(m_close);
    connect(m_open, &QPushButton::clicked, this, &TPdfNotice::openFolder);
    connect(m_close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

QString TPdfNotice::noticeText(const QString &lastFile, int files)
{
    if (files == 1)
        return TranslateText(QString::fromUtf8(OneFileText)).arg(QDir::toNativeSeparators(lastFile));
    const QString folder = QFileInfo(lastFile).absolutePath();
    return TranslateText(QString::fromUtf8(ManyFilesText)).arg(files).arg(QDir::toNativeSeparators(folder));
}

void TPdfNotice::showFiles(const QString &lastFile, int files)
{
    m_folder = QFileInfo(lastFile).absolutePath();
    const QString text = noticeText(lastFile, files);
    m_text->setText(text);
    m_text->setToolTip(text);
    m_open->setText(TranslateText(QString::fromUtf8(OpenFolderText)));
    m_close->setToolTip(TranslateText(QString::fromUtf8(CloseText)));
    m_close->setAccessibleName(m_close->toolTip());
    setAccessibleName(text);
    // Shown anew, so a screen reader announces the alert again for the next run.
    hide();
    show();
}

void TPdfNotice::openFolder()
{
    Dialogs().openUrl(QUrl::fromLocalFile(m_folder));
}
