// Reading a sheet through once to say what an import would do, writing nothing.
#include "rails/exchange/FieldColumns.h"
#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace exchange {

using detail::RowRules;

namespace {

void countRow(ImportPlan &plan, ImportRow &row, ImportProblem &problem,
              const detail::ExistingItems *existing) {
    if (existing && detail::classify(*existing, row, plan.options) != RowStatus::Refused) {
        if (row.status == RowStatus::Duplicate) {
            problem.status = row.status;
            problem.column.clear();
            problem.reason = QStringLiteral("already in the collection; skipped");
        }
    }
    ++plan.rows;
    switch (row.status) {
    case RowStatus::Ready:
        ++plan.ready;
        break;
    case RowStatus::Incomplete:
        ++plan.incomplete;
        break;
    case RowStatus::Refused:
        ++plan.refused;
        break;
    case RowStatus::Duplicate:
        ++plan.duplicates;
        break;
    case RowStatus::Update:
        ++plan.updates;
        break;
    }
    plan.newChoices += !row.newChoices.isEmpty();
    detail::noteNewChoices(plan, row);
    const bool listed = row.status == RowStatus::Refused || row.status == RowStatus::Duplicate ||
                        row.status == RowStatus::Incomplete;
    if (listed && plan.problems.size() < kMaxListedProblems)
        plan.problems.append(problem);
    if (plan.sample.size() < kSampleRows)
        plan.sample.append(row);
}

} // namespace

ImportPlan planImport(const QString &file, const ImportOptions &given, const QString &db,
                      const Progress &progress) {
    const ImportOptions options = detail::withOwnFields(given, db);
    CsvReader reader(file);
    if (options.delimiter)
        reader.setDelimiter(*options.delimiter);
    else
        reader.chooseDelimiter(knownHeaders);
    ImportPlan plan;
    plan.file = file;
    plan.encoding = reader.encoding();
    plan.fileSize = QFileInfo(file).size();
    plan.fileModified = QFileInfo(file).lastModified();
    RowRules rules = detail::settleRules(reader, options);
    if (knownHeaders(rules.header) == 0 && !options.mapping && options.mapChoices.isEmpty())
        throw platform::Error(
            platform::ErrPathFileAccess,
            QStringLiteral("The first line names no column this program knows (such as "
                           "Manufacturer, Rail Line or Number), so the file has no header it "
                           "can read."));
    plan.options = rules.options;
    plan.header = rules.header;
    plan.firstValues = rules.firstValues;
    for (const ColumnMap &c : std::as_const(*rules.options.mapping)) {
        if (c.target >= 0 && !c.conflict)
            plan.columns.append(targetName(c));
        else if (c.target == kIgnore)
            plan.ignoredColumns.append(c.header);
    }
    std::unique_ptr<detail::ExistingItems> existing;
    if (!db.isEmpty()) {
        engine::Connection c;
        detail::openConnection(c, db);
        existing = std::make_unique<detail::ExistingItems>(c, rules);
        c.Close();
    }
    reader.rewind();
    CsvRecord rec;
    reader.next(rec); // the header
    while (reader.next(rec)) {
        ImportProblem problem;
        ImportRow row = detail::checkRecord(rules, rec, problem);
        countRow(plan, row, problem, existing.get());
        if (progress && plan.rows % 2000 == 0 && !progress(reader.position(), reader.size()))
            throw platform::Error(ErrUserInterrupt, QStringLiteral("Reading was cancelled."));
    }
    return plan;
}

ImportPlan planImport(const QString &file, std::optional<ItemKind> kind, const QDate &today) {
    ImportOptions o;
    o.kind = kind;
    o.today = today;
    return planImport(file, o);
}

void saveProblems(const ImportPlan &plan, const QString &file) {
    QSaveFile out(file);
    const auto fail = [&] {
        return platform::Error(
            platform::ErrPathFileAccess,
            QStringLiteral("Cannot write %1: %2")
                .arg(QDir::toNativeSeparators(file), platform::writeFailureReason(out)));
    };
    if (!out.open(QIODevice::WriteOnly))
        throw fail();
    const QChar d = plan.options.delimiter.value_or(QLatin1Char(','));
    QString text = QChar(0xFEFF) + csvLine(QStringList(plan.header) << QStringLiteral("Reason"), d);
    for (const ImportProblem &p : plan.problems)
        if (p.status == RowStatus::Refused) {
            QStringList fields = p.fields;
            while (fields.size() < plan.header.size())
                fields.append(QString());
            text += csvLine(fields << QStringLiteral("Row %1: %2").arg(p.line).arg(p.reason), d);
        }
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) != bytes.size() || !out.commit())
        throw fail();
}

} // namespace exchange
