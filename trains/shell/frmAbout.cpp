#include "trains/shell/frmAbout.h"

#include "trains/FormUnits.h"

#include "trains/modGlobal.h"
#include "trains/shell/RtfReader.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

namespace {
const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kSysInfoValue = QStringLiteral("PATH");
const QString kSysInfoLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kSysInfoLocationValue = QStringLiteral("MSINFO");
const QString kSysInfoProgram = QStringLiteral("MSINFO32.EXE");
const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

} // namespace

frmAbout::frmAbout(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(4875 / 15, 2820 / 15);

    lblTitle = new QLabel(kAppTitle, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(fontOf("Comic Sans MS", 15.75, true));
    lblTitle->setGeometry(10, 6, 200, 30);

    lblVersion = new QLabel(QStringLiteral("Version"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(fontOf("Verdana", 8.25));
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    lblVersion->setGeometry(215, 12, 100, 20);

    rtBox = new QTextEdit(this);
    rtBox->setObjectName(QStringLiteral("rtBox"));
    rtBox->setReadOnly(true);
    rtBox->setGeometry(10, 40, 305, 106);

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setFont(fontOf("Verdana", 8.25));
    cmdSysInfo->setGeometry(10, 154, 120, 26);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setFont(fontOf("Verdana", 8.25));
    cmdOK->setGeometry(225, 154, 90, 26);
    cmdOK->setDefault(true);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("About ") + kAppTitle);
    lblVersion->setText(
        QStringLiteral("v%1.%2").arg(QUILLON_VERSION_MAJOR).arg(QUILLON_VERSION_MINOR));
    // A missing or unreadable About text leaves the box empty; the About box still opens.
    loadRtfFile(ProgramFolder() + QStringLiteral("/text/About.rtf"), rtBox->document());
    rtBox->moveCursor(QTextCursor::Start);
}

void frmAbout::StartSysInfo() {
    const bool started = platform::trap(
        [this] {
            std::uint32_t root = platform::HKEY_LOCAL_MACHINE;
            QString program;
            if (!GetKeyValue(root, kSysInfoKey, kSysInfoValue, program)) {
                QString folder;
                if (!GetKeyValue(root, kSysInfoLocationKey, kSysInfoLocationValue, folder))
                    throw platform::Error(platform::ErrFileNotFound, kUnavailable);
                while (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
                    folder.chop(1);
                program = folder + QLatin1Char('/') + kSysInfoProgram;
                if (!QFileInfo::exists(program))
                    throw platform::Error(platform::ErrFileNotFound, kUnavailable);
            }
            // A path with blanks is one program, not a program and its arguments.
            if (program.contains(QLatin1Char(' ')) && !program.startsWith(QLatin1Char('"')))
                program = QLatin1Char('"') + program + QLatin1Char('"');
            platform::Shell(program, platform::WindowStyle::NormalFocus);
        },
        [](const platform::Error &) {});
    if (!started)
        platform::MsgBox(
            kUnavailable,
            {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1},
            kAppTitle);
}

bool frmAbout::GetKeyValue(std::uint32_t &root, const QString &keyName, const QString &subKeyRef,
                           QString &value) {
    using namespace platform;
    HKEY key = 0;
    if (RegOpenKeyEx(root, keyName, 0, KEY_READ_ALL, &key) != ERROR_SUCCESS) {
        value.clear();
        RegCloseKey(key);
        return false;
    }
    QByteArray buffer(1024, '\0');
    std::uint32_t size = 1024;
    std::uint32_t type = 0;
    if (RegQueryValueEx(key, subKeyRef, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        value.clear();
        RegCloseKey(key);
        return false;
    }
    QByteArray data = buffer.left(size);
    if (size > 0 && data.at(size - 1) == '\0')
        data.chop(1);
    if (type == REG_SZ) {
        value = QString::fromLocal8Bit(data);
    } else if (type == REG_DWORD) {
        // The bytes from the last to the first, each as two hexadecimal digits, read as one
        // number: the value the platform stores little-endian.
        QString hex;
        for (qsizetype i = qsizetype(size) - 1; i >= 0; --i)
            hex += QStringLiteral("%1").arg(static_cast<unsigned char>(buffer[i]), 2, 16,
                                            QLatin1Char('0'));
        bool ok = false;
        const qulonglong n = hex.toULongLong(&ok, 16);
        value = ok ? QString::number(n) : QString();
    }
    RegCloseKey(key);
    return true;
}
