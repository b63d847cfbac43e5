// railsdb: the collection from the command line, for scripts and scheduled backups. It runs
// the same code as the program. Only `railsdb create PATH` makes a new collection, and never
// over an existing file; a mistyped command or option is a usage error that creates nothing.
// Errors go to stderr with a non-zero exit status: 1 when the work failed or was refused, 2
// when the command line is wrong.
//
// The commands are rows of one table (kCommands below): a command names its operands, the
// options it takes and the function that does the work, which finds its options by name in
// the parsed command line.
#include "rails/exchange/Collection.h"
#include "rails/exchange/ItemExchange.h"
#include "rails/exchange/SafeTarget.h"
#include "trains/items/ChoiceLists.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include "tools/InventoryCommand.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#ifndef RAILS_SCHEMA_FILE
#error "RAILS_SCHEMA_FILE must name the schema"
#endif

namespace {

const char *const kHelp =
    "usage: railsdb COMMAND OPERANDS [OPTIONS]\n"
    "\n"
    "  railsdb create PATH     create an empty collection database at PATH (never over an\n"
    "                          existing file). Earlier versions did this with `railsdb PATH`;\n"
    "                          that form is now a usage error, so a mistyped command never\n"
    "                          creates a file.\n"
    "  railsdb check DB        check that DB is a whole Quillon collection; prints its items\n"
    "  railsdb backup DB DEST  write a verified copy of DB to DEST (safe while DB is in use)\n"
    "  railsdb restore DB SRC  replace DB by the backup SRC; the current DB is first kept in\n"
    "                          the folder backups/ beside it\n"
    "  railsdb export DB FILE [--kind cars|locos|sets] [--fields F,F,...] [--locale NAME]\n"
    "                          write the items (all, or one kind) to FILE as CSV; --fields names\n"
    "                          the columns as the export's header does, in their order;\n"
    "                          --locale de_DE writes that locale's dates, decimal mark and\n"
    "                          separator for its spreadsheets (default plain, for scripts);\n"
    "                          FILE - is standard output\n"
    "  railsdb import DB FILE [--kind cars|locos|sets] [--dry-run] [--skip-bad]\n"
    "                 [--map \"HEADER=FIELD\"]... [--duplicates skip|add] [--existing update|add]\n"
    "                          add the rows of the CSV FILE (- is standard input; a pipe works\n"
    "                          too) to DB in one transaction. --kind is\n"
    "                          the kind of rows without a Kind column. Rows blank where the forms\n"
    "                          ask for a value come in with those fields blank; refused rows are\n"
    "                          listed on stderr with their line and stop the import unless\n"
    "                          --skip-bad is given. --dry-run checks and writes nothing.\n"
    "                          --map sends a column to a field named as in the export's header,\n"
    "                          to Notes+ (appended to the notes) or to - (ignored); other columns\n"
    "                          are guessed from their headers. Rows equal to an item are skipped\n"
    "                          (--duplicates add adds them); rows naming an item's number update\n"
    "                          it (--existing add adds them as new items).\n"
    "  railsdb inventory DB OUT.pdf [--kind cars|locos|sets] [--one-per-page]\n"
    "                          write the inventory of DB (cover page with totals, then every\n"
    "                          item with its photos, two to a page unless --one-per-page)\n"
    "  railsdb --help, -h      show this text\n"
    "\n"
    "DB, SRC and DEST must be files: a folder, a named pipe or a device is refused. No command\n"
    "writes over the collection or its journal files, by whatever path, link or hard link.\n"
    "\n"
    "Exit status: 0 done, 1 failed or refused (nothing changed), 2 wrong command line\n"
    "(nothing done).\n";

// Standard input is spooled to a temporary file before it is read as CSV; an endless stream
// stops here instead of filling the disk.
constexpr qint64 kSpoolLimit = qint64(1) << 30;

void err(const QString &text) {
    std::fprintf(stderr, "railsdb: %s\n", qPrintable(text));
}
void say(const QString &text) {
    std::printf("%s\n", qPrintable(text));
}

int usage(const QString &why);

// The command line once parsed: operands in order, and each option given with its values
// (an option without a value is present with one empty value).
struct Invocation {
    QStringList operands;
    QMap<QString, QStringList> options;
    bool has(const char *option) const { return options.contains(QLatin1String(option)); }
    QString value(const char *option) const {
        return options.value(QLatin1String(option)).value(0);
    }
};

using Run = int (*)(const Invocation &);

struct Command {
    const char *name;
    const char *operands; // as shown in the usage; names in [] may be left out
    const char *flags;    // options without a value, separated by blanks
    const char *valued;   // options that take a value
    Run run;
};

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

// A collection (or a backup to restore) is a file: a folder, a named pipe or a device given in
// its place is refused by name before anything opens it (opening a pipe would wait forever).
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

// Copies `from` into `to` in pieces; false (with `to`'s error) when a write fails.
bool pour(QFile &from, QFile &to, qint64 limit = -1) {
    QByteArray chunk;
    qint64 total = 0;
    while (!(chunk = from.read(1 << 16)).isEmpty()) {
        total += chunk.size();
        if (limit >= 0 && total > limit)
            return false;
        if (to.write(chunk) != chunk.size())
            return false;
    }
    return to.flush() && from.error() == QFileDevice::NoError;
}

QFile *openStream(const QString &path, QIODevice::OpenMode mode) {
    auto *f = new QFile;
    const bool ok = path == u"-" ? f->open(mode & QIODevice::ReadOnly ? stdin : stdout, mode)
                                 : (f->setFileName(path), f->open(mode));
    if (!ok) {
        err(QStringLiteral("cannot open %1: %2").arg(path, f->errorString()));
        delete f;
        return nullptr;
    }
    return f;
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

// The export's choices beyond the kind: "--fields F,F,..." and "--locale NAME" (or plain);
// nullopt (after a usage message) when one is wrong.
std::optional<exchange::ExportOptions> exportChoices(const Invocation &inv) {
    exchange::ExportOptions o;
    o.kind = kindOption(inv);
    const QString locale = inv.value("--locale");
    if (inv.has("--locale") && locale != u"plain") {
        const QLocale l(locale);
        if (l.language() == QLocale::C && locale != u"C") {
            usage(QStringLiteral("unknown locale '%1' (use a name such as de_DE, or plain)")
                      .arg(locale));
            return std::nullopt;
        }
        o.locale = l;
    }
    if (inv.has("--fields"))
        for (const QString &name : inv.value("--fields").split(QLatin1Char(','))) {
            const auto f = exchange::fieldFromName(name);
            if (!f || *f < 0) {
                usage(QStringLiteral("unknown field '%1' in --fields").arg(name));
                return std::nullopt;
            }
            o.fields.append(*f);
        }
    return o;
}

// The import's choices from the command line; nullopt (after a usage message) when one is
// wrong.
std::optional<exchange::ImportOptions> importOptions(const Invocation &inv) {
    exchange::ImportOptions options;
    options.kind = kindOption(inv);
    options.today = platform::now().date();
    options.choices = choiceLists();
    QStringList choices;
    for (const char *name : {"--map", "--duplicates", "--existing"})
        for (const QString &v : inv.options.value(QLatin1String(name)))
            choices << QLatin1String(name) << v;
    if (!importChoices(choices, options))
        return std::nullopt;
    return options;
}

int exportFile(const Invocation &inv) {
    const QString &db = inv.operands[0], &file = inv.operands[1];
    const auto options = exportChoices(inv);
    if (!options)
        return 2;
    const exchange::CollectionInfo info = exchange::checkCollection(db);
    if (!info.ok) {
        err(info.reason);
        return 1;
    }
    if (!isStream(file)) {
        const qint64 n = exchange::exportItems(db, file, *options);
        say(QStringLiteral("%1 item(s) exported to %2").arg(n).arg(file));
        return 0;
    }
    QTemporaryDir spool;
    const QString written = spool.filePath(QStringLiteral("items.csv"));
    const qint64 n = exchange::exportItems(db, written, *options);
    QFile in(written);
    std::unique_ptr<QFile> out(openStream(file, QIODevice::WriteOnly));
    if (!out || !in.open(QIODevice::ReadOnly))
        return 1;
    if (!pour(in, *out)) {
        err(QStringLiteral("cannot write %1: %2")
                .arg(file == u"-" ? QStringLiteral("standard output") : file,
                     platform::writeFailureReason(*out)));
        return 1;
    }
    // The count goes to stderr when the CSV itself is on standard output.
    (file == u"-" ? err : say)(QStringLiteral("%1 item(s) exported to %2").arg(n).arg(file));
    return 0;
}

int importRows(const QString &db, const QString &file, const QString &label,
               exchange::ImportOptions options, bool dryRun, bool skipBad) {
    // Refuse a foreign or damaged target before reading the file.
    const exchange::CollectionInfo info = exchange::checkCollection(db);
    if (!info.ok) {
        err(info.reason);
        return 1;
    }
    const exchange::ImportPlan plan = exchange::planImport(file, options, db);
    for (const exchange::ImportProblem &p : plan.problems)
        if (p.status == exchange::RowStatus::Refused)
            std::fprintf(stderr, "%s:%d: %s\n", qPrintable(label), p.line, qPrintable(p.reason));
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
    // A copy of the collection as it was, kept apart from the daily copies; no copy, no import.
    if (plan.toWrite() > 0)
        exchange::writePreImportBackup(db, platform::now());
    const qint64 n = exchange::importItems(db, plan);
    say(QStringLiteral("%1 item(s) imported or updated").arg(n));
    return 0;
}

int importFile(const Invocation &inv) {
    const QString &db = inv.operands[0], &file = inv.operands[1];
    const auto options = importOptions(inv);
    if (!options)
        return 2;
    const bool dryRun = inv.has("--dry-run"), skipBad = inv.has("--skip-bad");
    if (!isStream(file))
        return importRows(db, file, file, *options, dryRun, skipBad);
    // A pipe is read once, to the end, into a file of our own, which the import then reads.
    QTemporaryDir spool;
    QFile copy(spool.filePath(QStringLiteral("input.csv")));
    std::unique_ptr<QFile> in(openStream(file, QIODevice::ReadOnly));
    if (!in || !copy.open(QIODevice::WriteOnly))
        return 1;
    if (!pour(*in, copy, kSpoolLimit)) {
        err(QStringLiteral("%1 could not be read whole (more than %2 MiB, or a read or write "
                           "failed); nothing was imported")
                .arg(file)
                .arg(kSpoolLimit >> 20));
        return 1;
    }
    copy.close();
    const QString label = file == u"-" ? QStringLiteral("<stdin>") : file;
    return importRows(db, copy.fileName(), label, *options, dryRun, skipBad);
}

int createCommand(const Invocation &inv) {
    return create(inv.operands[0], inv.operands.value(1, QStringLiteral(RAILS_SCHEMA_FILE)));
}

int checkCommand(const Invocation &inv) {
    return check(inv.operands[0]);
}

int inventory(const Invocation &inv) {
    QStringList args = inv.operands;
    if (inv.has("--kind"))
        args << QStringLiteral("--kind") << inv.value("--kind");
    if (inv.has("--one-per-page"))
        args << QStringLiteral("--one-per-page");
    return inventoryCommand(args);
}

const Command kCommands[] = {
    {"create", "PATH [SCHEMA]", "", "", createCommand},
    {"check", "DB", "", "", checkCommand},
    {"backup", "DB DEST", "", "", backup},
    {"restore", "DB SRC", "", "", restore},
    {"export", "DB FILE", "", "--kind --fields --locale", exportFile},
    {"import", "DB FILE", "--dry-run --skip-bad", "--kind --map --duplicates --existing",
     importFile},
    {"inventory", "DB OUT.pdf", "--one-per-page", "--kind", inventory},
};

QStringList words(const char *text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

int usage(const QString &why) {
    err(why);
    std::fprintf(stderr, "usage:\n");
    for (const Command &c : kCommands)
        std::fprintf(stderr, "  railsdb %s %s\n", c.name, c.operands);
    std::fprintf(stderr, "Try 'railsdb --help'.\n");
    return 2;
}

// Reads the options and operands after the command's name; a usage error is returned as the
// reason, and nothing has been touched when it is.
QString parse(const Command &c, const QStringList &args, Invocation &inv) {
    const QStringList flags = words(c.flags), valued = words(c.valued);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a.isEmpty())
            return QStringLiteral("an empty argument");
        if (valued.contains(a)) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty())
                return QStringLiteral("%1 needs a value").arg(a);
            inv.options[a].append(args[++i]);
        } else if (flags.contains(a)) {
            inv.options[a].append(QString());
        } else if (a.startsWith(QLatin1Char('-')) && a != u"-") {
            return QStringLiteral("unknown option '%1' for %2").arg(a, QLatin1String(c.name));
        } else {
            inv.operands.append(a);
        }
    }
    const QStringList names = words(c.operands);
    const qsizetype required = std::count_if(names.begin(), names.end(),
                                             [](const QString &n) { return !n.startsWith('['); });
    if (inv.operands.size() < required || inv.operands.size() > names.size())
        return QStringLiteral("%1 takes %2").arg(QLatin1String(c.name), QLatin1String(c.operands));
    return {};
}

// Checks that hold for every command before it runs: the kind named, and collections that are
// files.
QString refusal(const Command &c, const Invocation &inv) {
    const QStringList names = words(c.operands);
    for (qsizetype i = 0; i < inv.operands.size(); ++i)
        if (names[i] == u"DB" || names[i] == u"SRC")
            if (const auto why = notAFile(inv.operands[i]))
                return *why;
    return {};
}

int run(const QStringList &args) {
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.isEmpty())
        return usage(QStringLiteral("missing COMMAND"));
    const Command *command = nullptr;
    for (const Command &c : kCommands)
        if (args[0] == QLatin1String(c.name))
            command = &c;
    if (!command)
        return usage(args[0].startsWith(QLatin1Char('-')) && args[0].size() > 1
                         ? QStringLiteral("unknown option '%1'").arg(args[0])
                         : QStringLiteral("unknown command '%1'").arg(args[0]));
    Invocation inv;
    if (const QString why = parse(*command, args.mid(1), inv); !why.isEmpty())
        return usage(why);
    if (inv.has("--kind")) {
        const auto kind = kindOption(inv);
        if (!kind || (kind != ItemKind::Car && kind != ItemKind::Loco &&
                      kind != ItemKind::Set))
            return usage(QStringLiteral("unknown kind '%1': use cars, locos or sets")
                             .arg(inv.value("--kind")));
    }
    if (const QString why = refusal(*command, inv); !why.isEmpty()) {
        err(why);
        return 1;
    }
    return command->run(inv);
}

} // namespace

int main(int argc, char **argv) {
    // The inventory lays out text: fonts need a GUI application, which needs no screen here.
    // The other commands stay plain console work, with nothing of a GUI on stderr.
    const bool inventory = argc > 1 && qstrcmp(argv[1], "inventory") == 0;
    if (inventory && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(inventory ? new QGuiApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments();
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
