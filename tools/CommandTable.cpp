// railsdb's command table: a command names its operands, the options it takes and the function
// that does the work, which finds its options by name in the parsed command line. Checks that
// hold for every command run here, before the command does.
#include "tools/Commands.h"
#include "tools/InventoryCommand.h"

#include <QFile>
#include <cstdio>

namespace railsdb {

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

using Run = int (*)(const Invocation &);

struct Command {
    const char *name;
    const char *operands; // as shown in the usage; names in [] may be left out
    const char *flags;    // options without a value, separated by blanks
    const char *valued;   // options that take a value
    Run run;
};

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
} // namespace

int usage(const QString &why) {
    err(why);
    std::fprintf(stderr, "usage:\n");
    for (const Command &c : kCommands)
        std::fprintf(stderr, "  railsdb %s %s\n", c.name, c.operands);
    std::fprintf(stderr, "Try 'railsdb --help'.\n");
    return 2;
}

namespace {

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
} // namespace

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
        if (!kind || (kind != ItemKind::Car && kind != ItemKind::Loco && kind != ItemKind::Set))
            return usage(QStringLiteral("unknown kind '%1': use cars, locos or sets")
                             .arg(inv.value("--kind")));
    }
    if (const QString why = refusal(*command, inv); !why.isEmpty()) {
        err(why);
        return 1;
    }
    return command->run(inv);
}

} // namespace railsdb
