// railsdb's CSV commands: export and import, to and from files, pipes and the standard streams.
#include "tools/Commands.h"

#include "rails/exchange/Collection.h"
#include "rails/exchange/SafeTarget.h"
#include "trains/items/ChoiceLists.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace railsdb {

namespace {

// Standard input is spooled to a temporary file before it is read as CSV; an endless stream
// stops here instead of filling the disk.
constexpr qint64 kSpoolLimit = qint64(1) << 30;
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
                      .arg(a,
                           a == u"--duplicates" ? QStringLiteral("skip or add")
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
            std::fprintf(stderr,
                         "railsdb: column '%s' claims a field an earlier column holds; "
                         "appended to the notes (choose with --map)\n",
                         qPrintable(c.header));
    if (!plan.ignoredColumns.isEmpty())
        std::fprintf(stderr, "railsdb: columns not imported: %s\n",
                     qPrintable(plan.ignoredColumns.join(QStringLiteral(", "))));
    const QChar d = *plan.options.delimiter;
    say(QStringLiteral("%1 row(s) ready, %2 with problems (%3, delimiter %4)")
            .arg(plan.ready + plan.incomplete + plan.updates)
            .arg(plan.refused)
            .arg(plan.encoding,
                 d == QLatin1Char('\t') ? QStringLiteral("tab") : QStringLiteral("'%1'").arg(d)));
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
} // namespace

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
} // namespace railsdb
