#include "app/AboutBoxUnit.h"

#include "app/BitBtnXP.h"
#include "app/Dialogs.h"
#include "app/MainUnit.h"
#include "core/translateunit.h"

#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

QString ApplyYearLine(const QString &text, int year)
{
    const QString y = QString::number(year);
    const qsizetype p = text.indexOf(QStringLiteral("XXXX"));
    if (p < 0)
        return y + text;
    QString t = text;
    t.replace(p, 4, y);
    return t;
}

bool IsOpenableWebAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty();
}

QPixmap EnvelopePicture(const QSize &size, qreal devicePixelRatio)
{
    // The program's icon, as the desktop shows it. Resources of a static library are registered by hand.
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
    QPixmap pm(size * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    QSvgRenderer svg(QStringLiteral(":/icons/kuvertino.svg"));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(size.width(), size.height());
    svg.render(&p, QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side));
    return pm;
}

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    AboutBox = this;
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);

    Panel1 = own(new QFrame(this), QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAutoFillBackground(true);
    QPalette pal = Panel1->palette();
    pal.setColor(QPalette::Window, QColor(240, 202, 166));
    pal.setColor(QPalette::WindowText, Qt::black);
    Panel1->setPalette(pal);

    ProgramIcon = own(new QLabel(Panel1), QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(EnvelopePicture(QSize(306, 322), devicePixelRatioF()));
    ProgramIcon->setFixedSize(306, 322);

    ProductName = own(new QLabel(QStringLiteral("Kuvertino"), Panel1), QStringLiteral("ProductName"));
    QFont heading(QStringLiteral("Arial Narrow"));
    heading.setPixelSize(24);
    heading.setBold(true);
    ProductName->setFont(heading);

    Copyright = own(new QLabel(QStringLiteral("Copyright © XXXX Velmora"), Panel1),
                    QStringLiteral("Copyright"));
    Comments = own(
            new QLabel(QStringLiteral("Briefumschläge gestalten und bedrucken: Absender, Empfänger, "
                                      "Logo oder Briefmarke, Adressliste und Seriendruck aus CSV-Dateien."),
                       Panel1),
            QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    Label1 = own(new QLabel(QStringLiteral("Velmora Kuvertino 1.0"), Panel1), QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = own(new QLabel(QStringLiteral("Freie Software für den Briefumschlagdruck."), Panel1),
                 QStringLiteral("Label2"));
    Label3 = own(new QLabel(QStringLiteral("Fehler, Wünsche und Übersetzungen nehmen wir gern über unsere "
                                           "Webseite entgegen."),
                            Panel1),
                 QStringLiteral("Label3"));
    Label3->setWordWrap(true);

    BitBtnXP1 = own(new TBitBtnXP(QStringLiteral("https://www.velmora.example/kuvertino/"),
                                  style()->standardIcon(QStyle::SP_DriveNetIcon),
                                  Panel1),
                    QStringLiteral("BitBtnXP1"));
    BitBtnXP1->setMinimumSize(169, 25);
    OKButton
            = own(new TBitBtnXP(QStringLiteral("OK"), style()->standardIcon(QStyle::SP_DialogOkButton), this),
                  QStringLiteral("OKButton"));
    OKButton->setMinimumSize(181, 37);
    OKButton->setDefault(true);

    auto *info = new QVBoxLayout;
    info->addWidget(ProductName);
    info->addWidget(Copyright);
    info->addSpacing(8);
    info->addWidget(Comments);
    info->addSpacing(8);
    info->addWidget(Label1);
    info->addWidget(Label2);
    info->addWidget(BitBtnXP1, 0, Qt::AlignLeft);
    info->addWidget(Label3);
    info->addStretch(1);

    auto *panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(8, 8, 8, 8);
    panelLayout->addWidget(ProgramIcon, 0, Qt::AlignTop);
    panelLayout->addSpacing(14);
    panelLayout->addLayout(info, 1);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(Panel1, 1);
    outer->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedSize(664, 453);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    ConnectGuarded(BitBtnXP1, &QPushButton::clicked, this, &TAboutBox::BitBtnXP1Click);
    FormCreate();
}

void TAboutBox::FormCreate()
{
    Copyright->setText(ApplyYearLine(Copyright->text(), QDate::currentDate().year()));
}

void TAboutBox::BitBtnXP1Click()
{
    QString address;
    GetMessageText(12, address);
    // Whatever the translation table holds, only a web address goes to the shell.
    if (IsOpenableWebAddress(address))
        Dialogs().openUrl(QUrl(address.trimmed()));
}
