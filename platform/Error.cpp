#include "platform/Error.h"

#include <QFileDevice>

namespace platform {

Error::Error(int number, QString description)
    : number_(number), description_(std::move(description)), what_(description_.toUtf8()) {}

bool resumeNext(const std::function<void()> &step) {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

bool trap(const std::function<void()> &block, const std::function<void(const Error &)> &handler) {
    try {
        block();
        return true;
    } catch (const Error &e) {
        handler(e);
    } catch (const std::exception &e) {
        handler(Error(5, QString::fromUtf8(e.what())));
    }
    return false;
}

QString writeFailureReason(const QFileDevice &file) {
    const QString said = file.errorString();
    return said.isEmpty() || said == QLatin1String("Unknown error")
               ? QStringLiteral("the disk may be full")
               : said;
}

} // namespace platform
