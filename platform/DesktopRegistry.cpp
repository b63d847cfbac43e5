#include "platform/DesktopRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace platform {

namespace {
const QString kBrowserKey = QStringLiteral("htmlfile\\shell\\open\\command");
const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");

bool same(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

DesktopRegistry::DesktopRegistry(QString searchPath, QStringList folders) {
    for (const QString &d : searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs_ << d;
    dirs_ << folders;
}

std::shared_ptr<DesktopRegistry> DesktopRegistry::forThisMachine() {
    return std::make_shared<DesktopRegistry>(
        QProcessEnvironment::systemEnvironment().value(QStringLiteral("PATH")),
        QStringList{QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"),
                    QStringLiteral("/bin"), QStringLiteral("/usr/sbin"),
                    QStringLiteral("/snap/bin"), QStringLiteral("/var/lib/flatpak/exports/bin"),
                    QDir::homePath() + QStringLiteral("/.local/bin")});
}

const QStringList &DesktopRegistry::urlOpeners() {
    static const QStringList p{QStringLiteral("xdg-open"), QStringLiteral("x-www-browser")};
    return p;
}

const QStringList &DesktopRegistry::systemInfoPrograms() {
    static const QStringList p{QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
                               QStringLiteral("kinfocenter"),
                               QStringLiteral("gnome-system-monitor")};
    return p;
}

QString DesktopRegistry::findProgram(const QStringList &programs) const {
    for (const QString &program : programs) {
        for (const QString &dir : dirs_) {
            const QFileInfo f(dir + QLatin1Char('/') + program);
            if (f.isFile() && f.isExecutable())
                return f.absoluteFilePath();
        }
    }
    return {};
}

bool DesktopRegistry::hasKey(std::uint32_t root, const QString &path) const {
    if (root == HKEY_CLASSES_ROOT && same(path, kBrowserKey))
        return !findProgram(urlOpeners()).isEmpty();
    if (root == HKEY_LOCAL_MACHINE && same(path, kSysInfoKey))
        return !findProgram(systemInfoPrograms()).isEmpty();
    return false;
}

std::optional<RegistryValue> DesktopRegistry::value(std::uint32_t root, const QString &path,
                                                    const QString &name) const {
    if (root == HKEY_CLASSES_ROOT && same(path, kBrowserKey) && name.isEmpty()) {
        const QString opener = findProgram(urlOpeners());
        if (!opener.isEmpty())
            return RegistryValue::text(QLatin1Char('"') + opener + QLatin1Char('"'));
    }
    if (root == HKEY_LOCAL_MACHINE && same(path, kSysInfoKey) &&
        same(name, QStringLiteral("PATH"))) {
        const QString program = findProgram(systemInfoPrograms());
        if (!program.isEmpty())
            return RegistryValue::text(program);
    }
    return std::nullopt;
}

} // namespace platform
