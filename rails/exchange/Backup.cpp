// Whether a file is a whole collection of ours, and a verified copy of the collection.
#include "rails/exchange/Collection.h"
#include "rails/exchange/CollectionFile.h"
#include "rails/exchange/FileIdentity.h"
#include "rails/exchange/SafeTarget.h"

#include "rails/SchemaAdditions.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace exchange {

namespace {

using platform::Error;

const QStringList &mainColumns() {
    static const QStringList c{
        "ID",        "ItemID",        "Manufacturer", "RailLine",     "CarType",
        "CarNumber", "SetNumber",     "Gauge",        "Curve",        "CarColor",
        "Color",     "AccquiredFrom", "OriginalCost", "CurrentValue", "DateAccquired",
        "DateAdd",   "DateMod",       "FullSet",      "Car",          "Loco",
        "Track",     "Accessory",     "Condition",    "Box",          "Notes"};
    return c;
}
const QStringList &ownerColumns() {
    static const QStringList c{"OwnerID", "LName", "FName",    "Address", "City",   "State",
                               "Zip",     "Email", "FullName", "DateAdd", "DateMod"};
    return c;
}

QString missingColumns(engine::Connection &db, const char *table, const QStringList &wanted) {
    const QStringList have = detail::column(
        db, QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(QLatin1String(table)));
    QSet<QString> lower;
    for (const QString &h : have)
        lower.insert(h.toLower());
    if (lower.isEmpty())
        return QStringLiteral("it has no table %1").arg(QLatin1String(table));
    QStringList missing;
    for (const QString &w : wanted)
        if (!lower.contains(w.toLower()))
            missing.append(w);
    if (missing.isEmpty())
        return {};
    return QStringLiteral("its table %1 lacks the column(s) %2")
        .arg(QLatin1String(table), missing.join(QStringLiteral(", ")));
}

// "type name" -> SQL of every object the program's own schema makes, spaces folded.
using SchemaObjects = QHash<QString, QString>;

SchemaObjects objectsOf(engine::Connection &db) {
    SchemaObjects out;
    engine::Statement st(db, "SELECT type, lower(name), sql FROM sqlite_master "
                             "WHERE name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    while (st.step())
        out.insert(st.text(0) + QLatin1Char(' ') + st.text(1), st.text(2).simplified());
    return out;
}

const SchemaObjects &ownSchema() {
    static const SchemaObjects own = [] {
        engine::Connection mem;
        mem.openFile(QStringLiteral(":memory:"), engine::OpenMode::Create);
        mem.executeScript(rails::designedSchema());
        for (const rails::SchemaAddition &a : rails::schemaAdditions())
            for (const QString &s : a.statements)
                mem.executeScript(s.toUtf8());
        return objectsOf(mem);
    }();
    return own;
}

// What a restore of `db` leaves behind, counted by kind.
QStringList notCarried(engine::Connection &db) {
    const SchemaObjects own = ownSchema();
    const SchemaObjects theirs = objectsOf(db);
    QMap<QString, int> count;
    for (auto it = theirs.cbegin(); it != theirs.cend(); ++it) {
        const auto ownIt = own.constFind(it.key());
        if (ownIt == own.cend() || ownIt.value() != it.value())
            ++count[it.key().section(QLatin1Char(' '), 0, 0)];
    }
    static const QList<std::pair<QString, QString>> names{
        {QStringLiteral("trigger"), QStringLiteral("trigger")},
        {QStringLiteral("view"), QStringLiteral("view")},
        {QStringLiteral("table"), QStringLiteral("other table")},
        {QStringLiteral("index"), QStringLiteral("other index")}};
    QStringList out;
    for (const auto &[type, name] : names)
        if (const int n = count.value(type))
            out << QStringLiteral("%1 %2%3").arg(n).arg(
                name, n == 1 ? QString() : QString::fromLatin1(type == u"index" ? "es" : "s"));
    return out;
}

} // namespace

CollectionInfo checkCollection(const QString &path) {
    CollectionInfo info;
    const QFileInfo fi(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!fi.exists()) {
        info.reason = QStringLiteral("%1 does not exist.").arg(shown);
        return info;
    }
    if (!fi.isFile()) {
        info.reason = QStringLiteral("%1 is not a file.").arg(shown);
        return info;
    }
    info.modified = fi.lastModified();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        info.reason = QStringLiteral("%1 cannot be read: %2").arg(shown, f.errorString());
        return info;
    }
    f.close();
    const FileIdentity id = readFileIdentity(path);
    if (!id.sqlite) {
        info.reason = QStringLiteral("%1 is not a Quillon collection (it is not a database file).")
                          .arg(shown);
        return info;
    }
    if (id.foreign()) {
        info.reason =
            QStringLiteral("%1 is not a Quillon collection (it is another program's file).")
                .arg(shown);
        return info;
    }
    if (id.userVersion > rails::schemaVersion()) {
        info.reason = QStringLiteral("%1 was made by a newer version of Quillon.").arg(shown);
        return info;
    }
    try {
        engine::Connection db;
        detail::openCollectionFile(db, path, engine::OpenMode::ReadOnly);
        QString why = missingColumns(db, "tblMain", mainColumns());
        if (why.isEmpty())
            why = missingColumns(db, "tblOwner", ownerColumns());
        if (!why.isEmpty()) {
            info.reason = QStringLiteral("%1 is not a Quillon collection: %2.").arg(shown, why);
            return info;
        }
        const QStringList check = detail::integrityRows(db);
        if (check != QStringList{QStringLiteral("ok")}) {
            info.reason =
                QStringLiteral("%1 is damaged (integrity check: %2).").arg(shown, check.value(0));
            return info;
        }
        info.items = detail::countItems(db);
        info.notCarried = notCarried(db);
        info.ok = true;
    } catch (const Error &e) {
        info.reason =
            QStringLiteral("%1 cannot be read as a collection: %2").arg(shown, e.Description());
    }
    return info;
}

qint64 backupCollection(const QString &db, const QString &dest, const Progress &progress) {
    refuseCollectionTarget(db, dest);
    if (!QFileInfo(db).isFile())
        throw Error(
            platform::ErrFileNotFound,
            QStringLiteral("The collection %1 does not exist.").arg(QDir::toNativeSeparators(db)));
    detail::refuseForeignFile(db);
    if (detail::sameFile(db, dest))
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("A backup cannot be written over the collection itself."));
    if (QFileInfo(dest).isDir())
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 is a folder; choose a file name.")
                        .arg(QDir::toNativeSeparators(dest)));
    engine::Connection source;
    detail::openCollectionFile(source, db, engine::OpenMode::ReadOnly);
    return detail::throughTemporary(dest, [&](const QString &temp) {
        const qint64 items = detail::copyInto(source, temp, progress);
        detail::renameIntoPlace(temp, dest, QStringLiteral("Cannot write %1"));
        return items;
    });
}

} // namespace exchange
