#include "rails/exchange/FileIdentity.h"

#include "rails/SchemaAdditions.h"

#include <QFile>
#include <QtEndian>

namespace exchange {

bool FileIdentity::foreign() const {
    return sqlite && applicationId != 0 && applicationId != rails::kApplicationId;
}

bool FileIdentity::ours() const {
    return sqlite && applicationId == rails::kApplicationId;
}

FileIdentity readFileIdentity(const QString &path) {
    FileIdentity id;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return id;
    const QByteArray head = f.read(100);
    if (head.size() < 100 || !head.startsWith("SQLite format 3"))
        return id;
    id.sqlite = true;
    // Big-endian 32-bit fields of the database header.
    id.userVersion = qFromBigEndian<qint32>(head.constData() + 60);
    id.applicationId = qFromBigEndian<qint32>(head.constData() + 68);
    return id;
}

} // namespace exchange
