#pragma once
// The registry of a Linux desktop: it answers the two questions the program asks. The command
// that opens web pages is the desktop's URL opener; the system information program is the
// first known one found on the search path or in the usual program folders.
#include "platform/Registry.h"

#include <QStringList>

namespace platform {

class DesktopRegistry : public RegistryBackend {
  public:
    // `searchPath` is a PATH-style list; `folders` are looked in after it.
    DesktopRegistry(QString searchPath, QStringList folders);
    // The process's PATH and the usual program folders.
    static std::shared_ptr<DesktopRegistry> forThisMachine();

    bool hasKey(std::uint32_t root, const QString &path) const override;
    std::optional<RegistryValue> value(std::uint32_t root, const QString &path,
                                       const QString &name) const override;

    // The full path of the first of `programs` found, empty when none is installed.
    QString findProgram(const QStringList &programs) const;

    static const QStringList &urlOpeners();
    static const QStringList &systemInfoPrograms();

  private:
    QStringList dirs_;
};

} // namespace platform
