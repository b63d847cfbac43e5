#include "rails/ErrorLog.h"

#include "platform/Clock.h"
#include "platform/LogFile.h"

#include <QFile>

namespace rails {

namespace {
const QString kBlankRule =
    QStringLiteral("%") + QString(51, QLatin1Char(' ')) + QStringLiteral("%");
const QString kRule = QStringLiteral("%") + QString(51, QLatin1Char('-')) + QStringLiteral("%");
const QString kShortRule =
    QStringLiteral("%") + QString(33, QLatin1Char('-')) + QStringLiteral("%");
} // namespace

bool writeErrorLog(const QString &folder, const QString &label, const platform::Error &e,
                   LogEntryKind kind) {
    const QString path = folder + QStringLiteral("/error.log");
    const QDateTime when = platform::now();
    const int blanks = kind == LogEntryKind::OwnerUpdate ? 13 : 14;
    const QString closing = kind == LogEntryKind::Creation ? kShortRule : kRule;
    const QString number = QString::number(e.Number());

    // A new file opens with the banner and its own record line (a blank before "Error: ").
    const QStringList banner{
        kRule, QString(blanks, QLatin1Char(' ')) + QStringLiteral("Quillon - Error Log"), kRule,
        kBlankRule};
    QStringList bodyNew{platform::logRecordLine(when, QStringLiteral(" Error: ") + number), label,
                        kRule, e.Description(), closing};
    QStringList bodyAppend{kBlankRule};
    if (kind == LogEntryKind::Creation)
        bodyAppend << QStringLiteral("% Error Information %");
    bodyAppend << platform::logRecordLine(when, QStringLiteral("Error: ") + number) << label
               << kRule << e.Description() << closing;

    const bool isNew = !QFile::exists(path);
    return platform::appendLogBlock(path, banner, isNew ? bodyNew : bodyAppend);
}

} // namespace rails
