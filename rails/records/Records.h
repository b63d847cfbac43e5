#pragma once
// Named store functions for the collector's own records: choice-list entries of their own,
// fields of their own, the value's date and source with its history, and deleted items. One
// connection per call; every value is bound to a placeholder; each change is one short
// transaction. Failures raise platform::Error and change nothing; no call shows a message.
#include "rails/engine/Recordset.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

namespace records {

inline constexpr int ErrRecordRefused = 5; // the change makes no sense (a name taken, ...)

struct Choice {
    qint64 id = 0;
    QString entry;
    bool hidden = false;
};

enum class FieldType { Text, Number, Amount, Date, YesNo, Choice };
QString fieldTypeName(FieldType t); // "Text", "Number", ... as the user sees them
FieldType fieldTypeFromCode(const QString &code);
QString fieldTypeCode(FieldType t); // as stored

struct Field {
    qint64 id = 0;
    QString name;
    FieldType type = FieldType::Text;
    QStringList choices; // for FieldType::Choice
};

struct HistoryEntry {
    QDateTime changed;
    bool value = true;             // false: the cost
    QVariant oldAmount, newAmount; // null when there was none
    QString source;
};

struct Valuation {
    QDate date;
    QString source;
};

struct Restored {
    QString itemId;
    bool sameNumber = true;
};

// The sources a value can have, as the card offers them.
const QStringList &valueSources();

class Store {
  public:
    // The collection file of the program folder.
    Store();
    explicit Store(QString databasePath);

    // Choice lists: the user's entries of one list (hidden ones too), alphabetical.
    QList<Choice> choices(const QString &list);
    qint64 addChoice(const QString &list, const QString &entry);
    // Renames an entry and every item holding its old text in `column` (rows of the kinds
    // whose flag columns are `kindFlags`, or every kind when empty). Returns how many items
    // followed.
    int renameChoice(qint64 id, const QString &entry, const QString &column,
                     const QStringList &kindFlags);
    void setChoiceHidden(qint64 id, bool hidden);
    // Adds the entries a list lacks (any letter case), in one transaction; returns how many.
    int addChoices(const QString &list, const QStringList &entries);

    // Fields of the user's own, in their order.
    QList<Field> fields();
    qint64 addField(const QString &name, FieldType type, const QStringList &choices = {});
    void renameField(qint64 id, const QString &name);
    int itemsHolding(qint64 fieldId);
    void removeField(qint64 id);
    QMap<qint64, QString> fieldValues(const QString &itemId);
    // An empty value removes it.
    void setFieldValue(const QString &itemId, qint64 fieldId, const QString &value);
    // Item numbers whose extra fields hold `text` (any letter case).
    QSet<QString> itemsWithFieldText(const QString &text);
    // One field's value of every item that has one.
    QMap<QString, QString> valuesOfField(qint64 fieldId);
    // Every value of the fields there are, with its item's row counter: ID, FieldID, Value.
    std::shared_ptr<engine::Recordset> fieldValueRows();
    // Each item's value at the end of `day` as its history tells it: ID, Amount. Items whose
    // value then is unknown (added later, or without a value then) have no row.
    std::shared_ptr<engine::Recordset> valuesAsOf(const QDate &day);

    // Every designed column of one item; no row when it is gone.
    std::shared_ptr<engine::Recordset> item(const QString &itemId);

    // Value, its date and source, and history.
    Valuation valuation(const QString &itemId);
    // Sets the item's current value (when it differs) with its date and source.
    void setValuation(const QString &itemId, double value, const QDate &date,
                      const QString &source);
    QList<HistoryEntry> history(const QString &itemId);

    // Deleted items: DelID, DeletedAt, ItemID, KindFlag ('Car', 'Loco', ...), Manufacturer,
    // CarType, CurrentValue; newest first.
    std::shared_ptr<engine::Recordset> deletedItems();
    Restored restoreDeleted(qint64 delId);
    void removeDeleted(qint64 delId);
    int emptyDeleted();
    // Removes items deleted before `before`; returns how many.
    int removeDeletedBefore(const QDateTime &before);

    QString databasePath() const { return path_; }

  private:
    struct Session;
    QString path_;
};

} // namespace records
