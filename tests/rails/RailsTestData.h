#pragma once
// Argument arrays for the store's item operations, as the forms fill them, and the small file
// and failure helpers the exchange tests share.
#include "platform/Error.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QStringList>
#include <functional>

namespace testing {

inline QString writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
    return path;
}

// The description of the error `f` raises; empty when it raises none.
inline QString failure(const std::function<void()> &f) {
    try {
        f();
    } catch (const platform::Error &e) {
        return e.Description();
    }
    return {};
}

struct ItemArgs {
    QStringList text;
    QDateTime date;
    QList<double> money;
};

inline ItemArgs itemArgs(const QString &itemId, const QString &notes = QStringLiteral("Mint")) {
    return {QStringList{itemId, QStringLiteral("Lionel"), QStringLiteral("Santa Fe"),
                        QStringLiteral("Box Car"), QStringLiteral("6464"), QStringLiteral("O-27"),
                        QStringLiteral("O-31"), QStringLiteral("Red"), QStringLiteral("Show"),
                        notes, QStringLiteral("Good"), QStringLiteral("YES")},
            QDateTime(QDate(2007, 8, 16), QTime(0, 0)), QList<double>{12.5, 20}};
}

} // namespace testing
