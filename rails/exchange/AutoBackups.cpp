// The automatic copies beside the collection: named by the program, identified by their
// name and the program's application id, written only when the collection changed, rotated
// so that a spread of ages stays and the fullest copy is never lost.
#include "rails/exchange/Collection.h"
#include "rails/exchange/CollectionFile.h"
#include "rails/exchange/FileIdentity.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace exchange {

namespace {

using platform::Error;

const QString kStamp = QStringLiteral("yyyyMMdd-HHmmss");
const QString kSuffix = QStringLiteral(".trk");
constexpr int kKeepPerEvent = 10; // pre-restore and pre-import copies of each kind

struct Copy {
    QString path;
    QDateTime stamp;
    int counter = 1;
};

// The copies of one kind by the names the program gives them, oldest first.
QList<Copy> copiesOf(const QString &db, const QString &prefix) {
    static const QRegularExpression name(QStringLiteral("^(\\d{8}-\\d{6})(?:-(\\d{1,6}))?\\.trk$"));
    const QDir d(automaticBackupFolder(db));
    QList<Copy> out;
    for (const QString &n : d.entryList({prefix + QLatin1String("*.trk")}, QDir::Files)) {
        const auto m = name.match(QStringView(n).mid(prefix.size()));
        if (!m.hasMatch())
            continue;
        const QDateTime stamp = QDateTime::fromString(m.captured(1), kStamp);
        if (stamp.isValid())
            out.append({d.filePath(n), stamp, m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()});
    }
    std::sort(out.begin(), out.end(), [](const Copy &a, const Copy &b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.counter < b.counter;
    });
    return out;
}

// What `read` finds in the copy at `path`, or `unreadable` when the copy cannot be read.
template <class T, class Read> T readCopy(const QString &path, T unreadable, Read read) {
    try {
        engine::Connection c;
        detail::openCollectionFile(c, path, engine::OpenMode::ReadOnly);
        return read(c);
    } catch (const Error &) {
        return unreadable;
    }
}

QByteArray digestOf(const QString &path) {
    return readCopy(path, QByteArray(), detail::contentDigest);
}

qint64 itemsIn(const QString &path) {
    return readCopy(path, qint64(-1), detail::countItems);
}

// The copy of the kind that holds what `current` describes, if the newest one does (or,
// when the clock was set back, the newest one not stamped in the future).
QString unchangedCopy(const QList<Copy> &copies, const QDateTime &now, const QByteArray &current) {
    if (copies.isEmpty())
        return {};
    QStringList candidates{copies.last().path};
    for (auto it = copies.crbegin(); it != copies.crend(); ++it)
        if (it->stamp <= now) {
            candidates << it->path;
            break;
        }
    for (const QString &c : candidates)
        if (digestOf(c) == current)
            return c;
    return {};
}

// Daily copies: the newest of each of the last 7 days, 4 weeks and 12 months that have one.
QSet<QString> dailySpread(const QList<Copy> &copies) {
    QSet<QString> keep;
    const auto spread = [&](int periods, const auto &periodOf) {
        QSet<qint64> seen;
        for (auto it = copies.crbegin(); it != copies.crend() && seen.size() <= periods; ++it) {
            const qint64 p = periodOf(it->stamp.date());
            if (!seen.contains(p) && seen.size() < periods)
                keep.insert(it->path);
            seen.insert(p);
        }
    };
    spread(7, [](const QDate &d) { return d.toJulianDay(); });
    spread(4, [](const QDate &d) {
        int year = 0;
        const int week = d.weekNumber(&year);
        return qint64(year) * 100 + week;
    });
    spread(12, [](const QDate &d) { return qint64(d.year()) * 100 + d.month(); });
    return keep;
}

void rotate(const QString &db, const QString &prefix, const QStringList &protect) {
    QList<Copy> copies;
    for (const Copy &c : copiesOf(db, prefix))
        if (readFileIdentity(c.path).ours()) // never a file the program did not write
            copies.append(c);
    if (copies.isEmpty())
        return;
    QSet<QString> keep = prefix == detail::kDailyPrefix ? dailySpread(copies) : QSet<QString>{};
    for (int i = std::max<int>(0, int(copies.size()) - kKeepPerEvent);
         prefix != detail::kDailyPrefix && i < copies.size(); ++i)
        keep.insert(copies[i].path);
    keep.insert(copies.last().path);
    for (const QString &p : protect)
        keep.insert(QFileInfo(p).absoluteFilePath());
    QString fullest;
    qint64 most = -1;
    for (const Copy &c : copies) {
        const qint64 n = itemsIn(c.path);
        if (n >= most) {
            most = n;
            fullest = c.path;
        }
    }
    keep.insert(fullest);
    for (const Copy &c : copies)
        if (!keep.contains(c.path) && !keep.contains(QFileInfo(c.path).absoluteFilePath()))
            QFile::remove(c.path);
}

// Gives the whole copy at `temp` the first free name of its kind for `now`; an existing
// file is never replaced, even by a copy made in the same second by another process.
QString publish(const QString &temp, const QString &folder, const QString &prefix,
                const QDateTime &now, const QList<Copy> &copies) {
    const QString base = folder + QLatin1Char('/') + prefix + now.toString(kStamp);
    // After the newest copy of the same second, which rotation always keeps: no name is given
    // twice.
    int first = 1;
    for (const Copy &c : copies)
        if (c.stamp == QDateTime::fromString(now.toString(kStamp), kStamp))
            first = std::max(first, c.counter + 1);
    for (int n = first; n < first + 1000; ++n) {
        const QString dest = base + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + kSuffix;
        if (::link(QFile::encodeName(temp).constData(), QFile::encodeName(dest).constData()) == 0) {
            QFile::remove(temp);
            return dest;
        }
        if (errno != EEXIST)
            throw Error(
                platform::ErrPathFileAccess,
                QStringLiteral("Cannot write %1: %2")
                    .arg(QDir::toNativeSeparators(dest), QString::fromLocal8Bit(strerror(errno))));
    }
    throw Error(platform::ErrPathFileAccess,
                QStringLiteral("Too many copies named %1.").arg(QDir::toNativeSeparators(base)));
}

QString copyOfCollection(const QString &db, const QString &prefix, const QDateTime &now) {
    detail::refuseForeignFile(db);
    engine::Connection source;
    detail::openCollectionFile(source, db, engine::OpenMode::ReadOnly);
    return detail::keepAutomaticCopy(
        db, prefix, now, detail::contentDigest(source),
        [&](const QString &temp) { return detail::copyInto(source, temp, {}); });
}

} // namespace

namespace detail {

QString keepAutomaticCopy(const QString &db, const QString &prefix, const QDateTime &now,
                          const QByteArray &current,
                          const std::function<qint64(const QString &)> &fill,
                          const QStringList &protect) {
    const QString folder = automaticBackupFolder(db);
    if (!QDir().mkpath(folder))
        throw Error(
            platform::ErrPathFileAccess,
            QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(folder)));
    const QList<Copy> copies = copiesOf(db, prefix);
    const QString same = unchangedCopy(copies, now, current);
    if (!same.isEmpty())
        return same;
    const QString dest =
        throughTemporary(folder + QLatin1Char('/') + prefix + kSuffix, [&](const QString &temp) {
            fill(temp);
            return publish(temp, folder, prefix, now, copies);
        });
    rotate(db, prefix, QStringList(protect) << dest);
    return dest;
}

} // namespace detail

QString automaticBackupFolder(const QString &db) {
    return QFileInfo(db).absolutePath() + QStringLiteral("/backups");
}

QString newestAutomaticBackup(const QString &db) {
    QList<Copy> all;
    for (const QString &prefix :
         {detail::kDailyPrefix, detail::kPreRestorePrefix, detail::kPreImportPrefix})
        all += copiesOf(db, prefix);
    const auto newest =
        std::max_element(all.cbegin(), all.cend(), [](const Copy &a, const Copy &b) {
            return a.stamp != b.stamp ? a.stamp < b.stamp : a.counter < b.counter;
        });
    return newest == all.cend() ? QString() : newest->path;
}

bool automaticBackupDue(const QString &db, const QDateTime &now) {
    const QList<Copy> daily = copiesOf(db, detail::kDailyPrefix);
    if (daily.isEmpty())
        return true;
    const QDateTime made = daily.last().stamp;
    return made.secsTo(now) >= 24 * 60 * 60 || made > now;
}

QString writeAutomaticBackup(const QString &db, const QDateTime &now) {
    return copyOfCollection(db, detail::kDailyPrefix, now);
}

void removeStaleTemporaries(const QString &db, const QDateTime &now) {
    // temporaryName(): "." + the final name + ".XXXXXX.tmp"
    static const QRegularExpression temp(
        QStringLiteral("^\\..+\\.[A-Za-z0-9]{6}\\.tmp(-journal)?$"));
    const QString collection = QFileInfo(db).fileName();
    const QStringList finals{collection, detail::kDailyPrefix + kSuffix,
                             detail::kPreRestorePrefix + kSuffix,
                             detail::kPreImportPrefix + kSuffix, QStringLiteral("damaged-")};
    for (const QString &folder : {QFileInfo(db).absolutePath(), automaticBackupFolder(db)}) {
        const QDir d(folder);
        for (const QString &n :
             d.entryList({QStringLiteral(".*.tmp*")}, QDir::Files | QDir::Hidden)) {
            const bool ours = std::any_of(finals.cbegin(), finals.cend(), [&](const QString &f) {
                return n.startsWith(QLatin1Char('.') + f);
            });
            const QFileInfo fi(d.filePath(n));
            if (ours && temp.match(n).hasMatch() && fi.lastModified().secsTo(now) >= 3600)
                QFile::remove(fi.filePath());
        }
    }
}

QString writePreImportBackup(const QString &db, const QDateTime &now) {
    return copyOfCollection(db, detail::kPreImportPrefix, now);
}

} // namespace exchange
