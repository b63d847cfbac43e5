// railsdb: the collection from the command line, for scripts and scheduled backups. It runs
// the same code as the program. `railsdb PATH` creates an empty collection database; an
// existing file is never touched, so running it again over a collector's database is
// harmless. Errors go to stderr with a non-zero exit status: 1 when the work failed or was
// refused, 2 when the command line is wrong.
#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"
#include "rails/exchange/Collection.h"
#include "rails/exchange/ItemExchange.h"
#include "trains/items/ChoiceLists.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
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
    "  railsdb export DB FILE [--kind cars|locos|sets] [--fields F,F,...] [--locale NAME]\n"
    "                          write the items (all, or one kind) to FILE as CSV; --fields names\n"
    "                          the columns as the export's header does, in their order;\n"
    "                          --locale de_DE writes that locale's dates, decimal mark and\n"
    "                          separator for its spreadsheets (default plain, for scripts)\n"
    "  railsdb import DB FILE [--kind cars|locos|sets] [--dry-run] [--skip-bad]\n"
    "                 [--map \"HEADER=FIELD\"]... [--duplicates skip|add] [--existing update|add]\n"
    "                          add the rows of the CSV FILE to DB in one transaction. --kind is\n"
    "                          the kind of rows without a Kind column. Rows blank where the forms\n"
    "                          ask for a value come in with those fields blank; refused rows are\n"
    "                          listed on stderr with their line and stop the import unless\n"
    "                          --skip-bad is given. --dry-run checks and writes nothing.\n"
    "                          --map sends a column to a field named as in the export's header,\n"
    "                          to Notes+ (appended to the notes) or to - (ignored); other columns\n"
    "                          are guessed from their headers. Rows equal to an item are skipped\n"
    "                          (--duplicates add adds them); rows naming an item's number update\n"
    "                          it (--existing add adds them as new items).\n"
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

// The choices of an import beyond the kind: "--map HEADER=FIELD", "--duplicates skip|add",
// "--existing update|add"; false (after a usage message) when one is wrong.
bool importChoices(const QStringList &args, exchange::ImportOptions &o) {
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const QString &a = args[i], &v = args[i + 1];
        if (a == u"--map") {
            o.mapChoices.append(v);
        } else if (a == u"--duplicates" && (v == u"skip" || v == u"add")) {
            o.addDuplicates = v == u"add";
        } else if (a == u"--existing" && (v == u"update" || v == u"add")) {
            o.addExisting = v == u"add";
        } else {
            usage(QStringLiteral("%1 takes %2, not '%3'")
                      .arg(a, a == u"--duplicates" ? QStringLiteral("skip or add")
                                                   : QStringLiteral("update or add"),
                           v));
            return false;
        }
    }
    return true;
}

exchange::ChoiceLists choiceLists() {
    return {items::manufacturers(), items::carTypesAddOrder(), items::locomotiveTypes(),
            items::gauges(),        items::minimumCurves(),    items::conditions()};
}

int importFile(const QString &db, const QString &file, std::optional<exchange::ItemKind> kind,
               bool dryRun, bool skipBad, const QStringList &choices) {
    exchange::ImportOptions options;
    options.kind = kind;
    options.today = platform::now().date();
    options.choices = choiceLists();
    if (!importChoices(choices, options))
        return 2;
    // Refuse a foreign or damaged target before reading the file.
    const exchange::CollectionInfo info = exchange::checkCollection(db);
    if (!info.ok) {
        err(info.reason);
        return 1;
    }
    const exchange::ImportPlan plan = exchange::planImport(file, options, db);
    for (const exchange::ImportProblem &p : plan.problems)
        if (p.status == exchange::RowStatus::Refused)
            std::fprintf(stderr, "%s:%d: %s\n", qPrintable(file), p.line, qPrintable(p.reason));
    for (const exchange::ColumnMap &c : std::as_const(*plan.options.mapping))
        if (c.conflict)
            std::fprintf(stderr, "railsdb: column '%s' claims a field an earlier column holds; "
                                 "appended to the notes (choose with --map)\n",
                         qPrintable(c.header));
    if (!plan.ignoredColumns.isEmpty())
        std::fprintf(stderr, "railsdb: columns not imported: %s\n",
                     qPrintable(plan.ignoredColumns.join(QStringLiteral(", "))));
    const QChar d = *plan.options.delimiter;
    say(QStringLiteral("%1 row(s) ready, %2 with problems (%3, delimiter %4)")
            .arg(plan.ready + plan.incomplete + plan.updates)
            .arg(plan.refused)
            .arg(plan.encoding, d == QLatin1Char('\t') ? QStringLiteral("tab")
                                                       : QStringLiteral("'%1'").arg(d)));
    say(QStringLiteral("%1 incomplete (blank where the forms ask for a value), %2 already in "
                       "the collection (skipped), %3 updating their item, %4 with new choices")
            .arg(plan.incomplete)
            .arg(plan.duplicates)
            .arg(plan.updates)
            .arg(plan.newChoices));
    if (plan.refused && !skipBad) {
        err(QStringLiteral("nothing imported: fix the rows above or give --skip-bad"));
        return 1;
    }
    if (dryRun) {
        say(QStringLiteral("dry run: nothing written"));
        return 0;
    }
    // TODO(pre-import copy): the automatic copy before an import is taken here once the
    // backup rotation offers it.
    const qint64 n = exchange::importItems(db, plan);
    say(QStringLiteral("%1 item(s) imported or updated").arg(n));
    return 0;
}

// "--fields Kind,Manufacturer,..." (named as the export's header) and "--locale de_DE" (or
// "plain", the default).
int exportFile(const QString &db, const QString &file, std::optional<exchange::ItemKind> kind,
               const QStringList &args) {
    exchange::ExportOptions o;
    o.kind = kind;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        const QString &v = args[i + 1];
        if (args[i] == u"--locale" && v != u"plain") {
            const QLocale l(v);
            if (l.language() == QLocale::C && v != u"C")
                return usage(QStringLiteral("unknown locale '%1' (use a name such as de_DE, or "
                                            "plain)")
                                 .arg(v));
            o.locale = l;
        }
        if (args[i] == u"--fields")
            for (const QString &name : v.split(QLatin1Char(','))) {
                const auto f = exchange::fieldFromName(name);
                if (!f || *f < 0)
                    return usage(QStringLiteral("unknown field '%1' in --fields").arg(name));
                o.fields.append(*f);
            }
    }
    const exchange::CollectionInfo info = exchange::checkCollection(db);
    if (!info.ok) {
        err(info.reason);
        return 1;
    }
    const qint64 n = exchange::exportItems(db, file, o);
    say(QStringLiteral("%1 item(s) exported to %2").arg(n).arg(file));
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
    std::optional<exchange::ItemKind> kind;
    bool dryRun = false, skipBad = false;
    QStringList importArgs, exportArgs;
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
        } else if (command == u"import" &&
                   (a == u"--map" || a == u"--duplicates" || a == u"--existing")) {
            if (i + 1 >= args.size())
                return usage(QStringLiteral("%1 needs a value").arg(a));
            importArgs << a << args[++i];
        } else if (command == u"export" && (a == u"--fields" || a == u"--locale")) {
            if (i + 1 >= args.size())
                return usage(QStringLiteral("%1 needs a value").arg(a));
            exportArgs << a << args[++i];
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
    if (command == u"export")
        return want(2) ? exportFile(positional[0], positional[1], kind, exportArgs)
                       : usage(QStringLiteral("export takes DB FILE"));
    if (command == u"import")
        return want(2) ? importFile(positional[0], positional[1], kind, dryRun, skipBad, importArgs)
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
    QCoreApplication app(argc, argv);
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
