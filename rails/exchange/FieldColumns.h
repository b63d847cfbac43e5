#pragma once
// The collector's fields in CSV exchange: export writes one column per field after the designed
// columns, headed by the field's name; import reads a column mapped to a field and writes its
// values in the transaction that writes the items. Also what an import met beyond the choice
// lists, so that it can be offered for the lists.
#include "rails/engine/Connection.h"
#include "rails/engine/Statement.h"
#include "rails/exchange/ItemExchange.h"

#include <QHash>
#include <memory>
#include <vector>

namespace exchange {

// The collector's fields of a collection, in their order; none when it has no such table.
QList<OwnField> ownFields(const QString &db);

namespace detail {

struct RowRules;

// The import options with the collection's fields, when the caller named none.
ImportOptions withOwnFields(const ImportOptions &options, const QString &db);

// The values of the fields an export writes, read in one statement.
class OwnFieldValues {
  public:
    OwnFieldValues(engine::Connection &c, const std::optional<QList<qint64>> &fieldIds);
    QStringList headers() const;
    void append(QStringList &line, const QString &itemId) const;

  private:
    QList<OwnField> fields_;
    QHash<QString, QStringList> byItem_; // item number (upper case) -> values in field order
};

// The values a row holds for the collector's fields its columns go to.
void readOwnValues(const RowRules &rules, const QStringList &cells, ImportRow &row);

// Notes the values of a row to write that no choice list holds.
void noteNewChoices(ImportPlan &plan, const ImportRow &row);

// Writes the fields' values of imported rows through one prepared statement.
class OwnValueWriter {
  public:
    explicit OwnValueWriter(engine::Connection &c);
    ~OwnValueWriter();
    OwnValueWriter(const OwnValueWriter &) = delete;
    OwnValueWriter &operator=(const OwnValueWriter &) = delete;
    // A blank value removes the item's value of that field.
    void write(const QString &itemId, const ImportRow &row);

  private:
    engine::Connection &c_;
    std::unique_ptr<engine::Statement> set_, clear_;
};

} // namespace detail
} // namespace exchange
