// railsdb: the collection from the command line, for scripts and scheduled backups. It runs
// the same code as the program. `railsdb PATH` creates an empty collection database; an
// existing file is never touched, so running it again over a collector's database is
// harmless. Errors go to stderr with a non-zero exit status: 1 when the work failed or was
// refused, 2 when the command line is wrong.
#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"
#include "rails/exchange/Collection.h"
#include "rails/exchange/ItemExchange.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include "tools/InventoryCommand.h"

#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <optional>
#include <sqlite3.h>

#ifndef RAILS_SCHEMA_FILE
#error "RAILS_SCHEMA_FILE must name the schema"
#endif

namespace {

const char *const kHelp =
    "usage: railsdb PATH [SCHEMA]\n"
    "       railsdb COMMAND ARGUMENTS\n"
    "\n"
    "  railsdb PATH            create an empty collection database at PATH (never over an\n"
    "                          existing file)\n"
    "  railsdb check DB        check that DB is a whole Quillon collection; prints its items\n"
    "  railsdb backup DB DEST  write a verified copy of DB to DEST (safe while DB is in use)\n"
    "  railsdb restore DB SRC  replace DB by the backup SRC; the current DB is first kept in\n"
    "                          the folder backups/ beside it\n"
    "  railsdb export DB FILE [--kind cars|locos|sets]\n"
    "                          write the items (all, or one kind) to FILE as CSV\n"
    "  railsdb import DB FILE [--kind cars|locos|sets] [--dry-run] [--skip-bad]\n"
    "                          add the rows of the CSV FILE to DB in one transaction. --kind is\n"
    "                          the kind of rows without a Kind column. Problem rows are listed\n"
    "                          on stderr with their line; any problem row stops the import\n"
    "                          unless --skip-bad is given. --dry-run checks and writes nothing.\n"
    "  railsdb inventory DB OUT.pdf [--kind cars|locos|sets] [--one-per-page]\n"
    "                          write the inventory of DB (cover page with totals, then every\n"
    "                          item with its photos, two to a page unless --one-per-page)\n"
    "  railsdb --help, -h      show this text\n"
    "\n"
    "Exit status: 0 done, 1 failed or refused (nothing changed), 2 wrong command line.\n";

void err(const QString &text) {
    std::fprintf(stderr, "railsdb: %s\n", qPrintable(text));
}
void say(const QString &text) {
    std::printf("%s\n", qPrintable(text));
}

int usage(const QString &why) {
    err(why);
    std::fprintf(stderr, "Try 'railsdb --help'.\n");
    return 2;
}

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
    const QByteArray script = "BEGIN;\n" + in.readAll() + "\nCOMMIT;";

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                        nullptr) != SQLITE_OK) {
        err(QStringLiteral("cannot create %1: %2")
                .arg(path,
                     db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory")));
        sqlite3_close(db);
        return 1;
    }
    char *message = nullptr;
    const bool made = sqlite3_exec(db, script.constData(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!made)
        err(QString::fromUtf8(message ? message : "schema failed"));
    sqlite3_free(message);
    sqlite3_close(db);
    if (made) {
        try {
            engine::Connection c;
            c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(path);
            c.Open();
            rails::applySchemaAdditions(c);
            c.Close();
            return 0;
        } catch (const platform::Error &e) {
            err(e.Description());
        }
    }
    QFile::remove(path);
    return 1;
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

int importFile(const QString &db, const QString &file, std::optional<exchange::ItemKind> kind,
               bool dryRun, bool skipBad) {
    // Refuse a foreign or damaged target before reading the file.
    const exchange::CollectionInfo info = exchange::checkCollection(db);
    if (!info.ok) {
        err(info.reason);
        return 1;
    }
    const exchange::ImportPlan plan = exchange::planImport(file, kind, platform::now().date());
    for (const exchange::ImportProblem &p : plan.problems)
        std::fprintf(stderr, "%s:%d: %s\n", qPrintable(file), p.line, qPrintable(p.reason));
    if (!plan.ignoredColumns.isEmpty())
        std::fprintf(stderr, "railsdb: columns not imported: %s\n",
                     qPrintable(plan.ignoredColumns.join(QStringLiteral(", "))));
    say(QStringLiteral("%1 row(s) ready, %2 with problems (%3, delimiter %4)")
            .arg(plan.ready.size())
            .arg(plan.problems.size())
            .arg(plan.encoding, plan.delimiter == QLatin1Char('\t')
                                    ? QStringLiteral("tab")
                                    : QStringLiteral("'%1'").arg(plan.delimiter)));
    if (!plan.problems.isEmpty() && !skipBad) {
        err(QStringLiteral("nothing imported: fix the rows above or give --skip-bad"));
        return 1;
    }
    if (dryRun) {
        say(QStringLiteral("dry run: nothing written"));
        return 0;
    }
    const qint64 n = exchange::importItems(db, plan);
    say(QStringLiteral("%1 item(s) imported").arg(n));
    return 0;
}

int run(QStringList args) {
    if (args.isEmpty())
        return usage(QStringLiteral("missing PATH or COMMAND"));
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    const QString command = args.takeFirst();
    if (command == u"inventory")
        return inventoryCommand(args);
    std::optional<exchange::ItemKind> kind;
    bool dryRun = false, skipBad = false;
    QStringList positional;
    const bool itemCommand = command == u"export" || command == u"import";
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (itemCommand && a == u"--kind") {
            if (i + 1 >= args.size())
                return usage(QStringLiteral("--kind needs cars, locos or sets"));
            const QString k = args[++i];
            kind = exchange::kindFromText(k);
            if (!kind || (kind != exchange::ItemKind::Car && kind != exchange::ItemKind::Loco &&
                          kind != exchange::ItemKind::Set))
                return usage(QStringLiteral("unknown kind '%1': use cars, locos or sets").arg(k));
        } else if (command == u"import" && a == u"--dry-run") {
            dryRun = true;
        } else if (command == u"import" && a == u"--skip-bad") {
            skipBad = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return usage(QStringLiteral("unknown option '%1'").arg(a));
        } else {
            positional.append(a);
        }
    }
    const auto want = [&](int n) { return positional.size() == n; };
    if (command == u"check")
        return want(1) ? check(positional[0]) : usage(QStringLiteral("check takes DB"));
    if (command == u"backup") {
        if (!want(2))
            return usage(QStringLiteral("backup takes DB DEST"));
        const qint64 n = exchange::backupCollection(positional[0], positional[1]);
        say(QStringLiteral("%1 item(s) backed up to %2").arg(n).arg(positional[1]));
        return 0;
    }
    if (command == u"restore") {
        if (!want(2))
            return usage(QStringLiteral("restore takes DB SRC"));
        if (!QFileInfo(positional[0]).isFile())
            return usage(QStringLiteral("%1 does not exist").arg(positional[0]));
        const qint64 n = exchange::restoreCollection(positional[0], positional[1]);
        say(QStringLiteral("%1 now holds %2 item(s) from %3")
                .arg(positional[0])
                .arg(n)
                .arg(positional[1]));
        return 0;
    }
    if (command == u"export") {
        if (!want(2))
            return usage(QStringLiteral("export takes DB FILE"));
        const exchange::CollectionInfo info = exchange::checkCollection(positional[0]);
        if (!info.ok) {
            err(info.reason);
            return 1;
        }
        const qint64 n = exchange::exportItems(positional[0], positional[1], kind);
        say(QStringLiteral("%1 item(s) exported to %2").arg(n).arg(positional[1]));
        return 0;
    }
    if (command == u"import")
        return want(2) ? importFile(positional[0], positional[1], kind, dryRun, skipBad)
                       : usage(QStringLiteral("import takes DB FILE"));
    if (command.startsWith(QLatin1Char('-')))
        return usage(QStringLiteral("unknown option '%1'").arg(command));
    // railsdb PATH [SCHEMA]
    if (!positional.isEmpty() && positional.size() != 1)
        return usage(QStringLiteral("too many arguments"));
    return create(command, positional.value(0, QStringLiteral(RAILS_SCHEMA_FILE)));
}

} // namespace

int main(int argc, char **argv) {
    // The inventory lays out text: fonts need a GUI application, which needs no screen here.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    try {
        return run(args);
    } catch (const platform::Error &e) {
        err(e.Description());
        return 1;
    } catch (const std::exception &e) {
        err(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
