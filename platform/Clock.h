#pragma once
// The clock the program reads. Tests install a fake so waits and time stamps are fixed.
#include <QDateTime>
#include <functional>

namespace platform {

QDateTime now();

// Installs a replacement clock; an empty function restores the system clock.
void setClock(std::function<QDateTime()> clock);

} // namespace platform
