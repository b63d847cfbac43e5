// railsdb's commands on the collection file as a whole: create, check, backup and restore.
#include "tools/Commands.h"

#include "rails/exchange/Collection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sys/stat.h>

#ifndef RAILS_SCHEMA_FILE
#error "RAILS_SCHEMA_FILE must name the schema"
#endif

namespace railsdb {

void err(const QString &text) {
    std::fprintf(stderr, "railsdb: %s\n", qPrintable(text));
}

void say(const QString &text) {
    std::printf("%s\n", qPrintable(text));
}

namespace {

int create(const QString &path, const QString &schemaPath) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        err(QStringLiteral("%1 exists; left unchanged").arg(path));
        return 1;
    }
    QFile in(schemaPath);
    if (!in.open(QIODevice::ReadOnly)) {
        err(QStringLiteral("cannot read schema %1").arg(schemaPath));
        return 2;
    }
    exchange::createCollection(path, in.readAll());
    return 0;
}

int check(const QString &db) {
    const exchange::CollectionInfo info = exchange::checkCollection(db);
    if (!info.ok) {
        err(info.reason);
        return 1;
    }
    say(QStringLiteral("%1: a whole Quillon collection holding %2 item(s)")
            .arg(db)
            .arg(info.items));
    return 0;
}

} // namespace

// Refused by name: opening a pipe would wait forever.
std::optional<QString> notAFile(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode))
        return std::nullopt;
    const char *what = S_ISDIR(st.st_mode)    ? "a folder"
                       : S_ISFIFO(st.st_mode) ? "a named pipe"
                       : S_ISSOCK(st.st_mode) ? "a socket"
                                              : "a device";
    return QStringLiteral("%1 is %2, not a collection file; nothing was done.")
        .arg(QDir::toNativeSeparators(path), QLatin1String(what));
}

// A stream is standard input or output ("-"), a named pipe or a device: CSV passes through it
// but it is never renamed over.
bool isStream(const QString &path) {
    struct stat st {};
    return path == u"-" || (::stat(QFile::encodeName(path).constData(), &st) == 0 &&
                            !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode));
}

std::optional<ItemKind> kindOption(const Invocation &inv) {
    return inv.has("--kind") ? exchange::kindFromText(inv.value("--kind")) : std::nullopt;
}

int backup(const Invocation &inv) {
    const QString &db = inv.operands[0], &dest = inv.operands[1];
    if (isStream(dest) && !QFileInfo(dest).isDir()) {
        err(QStringLiteral("%1 is not a file; a backup is written to a file.").arg(dest));
        return 1;
    }
    const qint64 n = exchange::backupCollection(db, dest);
    say(QStringLiteral("%1 item(s) backed up to %2").arg(n).arg(dest));
    return 0;
}

int restore(const Invocation &inv) {
    const QString &db = inv.operands[0], &source = inv.operands[1];
    if (!QFileInfo(db).isFile()) {
        err(QStringLiteral("%1 does not exist").arg(db));
        return 1;
    }
    const qint64 n = exchange::restoreCollection(db, source);
    say(QStringLiteral("%1 now holds %2 item(s) from %3").arg(db).arg(n).arg(source));
    return 0;
}

int createCommand(const Invocation &inv) {
    return create(inv.operands[0], inv.operands.value(1, QStringLiteral(RAILS_SCHEMA_FILE)));
}

int checkCommand(const Invocation &inv) {
    return check(inv.operands[0]);
}

} // namespace railsdb
