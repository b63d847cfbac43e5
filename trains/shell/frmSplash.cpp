#include "trains/shell/frmSplash.h"

#include "trains/FormUnits.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/Pointer.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>

using platform::resumeNext;

const QString frmSplash::kMakerWebAddress = QStringLiteral("www.orvanne.example");

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text, const QFont &f, QRect where,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(f);
    l->setGeometry(where);
    l->setAlignment(align);
    return l;
}
} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(kAppTitle);
    setFixedSize(7290 / 15, 4095 / 15);
    setStyleSheet(QStringLiteral("frmSplash { border: 2px outset #a0a0a0; }"));
    setAttribute(Qt::WA_StyledBackground);

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    Frame1->setFont(fontOf("MS Sans Serif", 8.25));
    Frame1->setGeometry(8, 6, 470, 214);

    Image1 = new QLabel(Frame1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 14, 160, 100);
    Image1->setAlignment(Qt::AlignCenter);

    lblCompanyProduct = label(Frame1, "lblCompanyProduct", QStringLiteral("Orvanne Software"),
                              fontOf("Comic Sans MS", 12), QRect(186, 10, 272, 26),
                              Qt::AlignRight | Qt::AlignVCenter);
    lblProductName = label(Frame1, "lblProductName", kAppTitle, fontOf("Comic Sans MS", 30, true),
                           QRect(186, 36, 272, 56), Qt::AlignRight | Qt::AlignVCenter);
    lblVersion = label(Frame1, "lblVersion", QStringLiteral("Version"), fontOf("Verdana", 12, true),
                       QRect(186, 92, 272, 24), Qt::AlignRight | Qt::AlignVCenter);
    lblCompany = label(Frame1, "lblCompany", QStringLiteral("Orvanne Software and Web Design"),
                       fontOf("MS Sans Serif", 8.25), QRect(12, 150, 446, 20),
                       Qt::AlignHCenter | Qt::AlignVCenter);
    Label2 = label(Frame1, "Label2", kMakerWebAddress, fontOf("Verdana", 8.25),
                   QRect(12, 174, 446, 20), Qt::AlignHCenter | Qt::AlignVCenter);

    Label1 = label(this, "Label1", QStringLiteral("Initializing..."), fontOf("MS Sans Serif", 8.25),
                   QRect(10, 224, 200, 18));
    proBar = new QProgressBar(this);
    proBar->setObjectName(QStringLiteral("proBar"));
    proBar->setGeometry(10, 244, 466, 20);
    proBar->setTextVisible(false);
    proBar->setVisible(false);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmSplash::Form_Load() {
    resumeNext([] { platform::setScreenPointer(platform::Pointer::Wait); });
    resumeNext([this] {
        lblVersion->setText(
            QStringLiteral("%1.%2").arg(QUILLON_VERSION_MAJOR).arg(QUILLON_VERSION_MINOR));
    });
    resumeNext([this] {
        // A missing picture leaves the picture empty.
        Image1->setPixmap(QPixmap(ProgramFolder() + QStringLiteral("/images/loco.gif")));
    });
    resumeNext([this] { proBar->setVisible(true); });
    resumeNext([this] { show(); });
    resumeNext([this] { RunProgressBar(); });
    resumeNext([] { platform::setScreenPointer(platform::Pointer::Default); });
}

void frmSplash::RunProgressBar() {
    resumeNext([this] {
        proBar->setMinimum(0);
        proBar->setMaximum(16);
        int counter = 0;
        while (counter <= 16) {
            proBar->setValue(counter);
            ++counter;
            if (counter >= 16)
                break;
            Pause(0);
            ++counter;
        }
    });
    unsetCursor();
}
