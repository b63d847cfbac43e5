#pragma once
// Argument arrays for the store's item operations, as the forms fill them.
#include <QDateTime>
#include <QList>
#include <QStringList>

namespace testing {

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
