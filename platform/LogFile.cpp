#include "platform/LogFile.h"

#include "platform/LocaleText.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

bool appendLogBlock(const QString &path, const QStringList &bannerIfNew, const QStringList &lines) {
    QFile f(path);
    const bool isNew = !QFileInfo::exists(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QByteArray out;
    const QStringList &head = isNew ? bannerIfNew : QStringList();
    for (const QString &l : head)
        out += l.toUtf8() + "\r\n";
    for (const QString &l : lines)
        out += l.toUtf8() + "\r\n";
    const bool ok = f.write(out) == out.size();
    f.close();
    return ok && f.error() == QFileDevice::NoError;
}

QString logRecordLine(const QDateTime &when, const QString &errorText) {
    const QStringList items{shortDate(when.date()), timeText(when.time()), errorText};
    QString line;
    for (int i = 0; i < items.size(); ++i) {
        line += items[i];
        if (i + 1 < items.size()) {
            const int pad = 14 - int(line.size() % 14);
            line += QString(pad, QLatin1Char(' '));
        }
    }
    return line;
}

} // namespace platform
