// Choice-list entries and fields of the user's own.
#include "rails/records/RecordsSession.h"

#include "rails/dllRails.h"

#include <QObject>

namespace records {

namespace {
const char *const kTypeCodes[] = {"text", "number", "amount", "date", "yesno", "choice"};
const char *const kTypeNames[] = {"Text", "Number", "Amount", "Date", "Yes/No", "Choice"};

QString checkedName(const QString &name, const QString &what) {
    const QString t = name.trimmed();
    if (t.isEmpty())
        refuse(QObject::tr("The %1 cannot be empty.").arg(what));
    if (t.size() > 255)
        refuse(QObject::tr("The %1 is longer than 255 characters.").arg(what));
    if (t.contains(QChar(0)))
        refuse(QObject::tr("The %1 cannot hold a NUL character.").arg(what));
    return t;
}
} // namespace

QString fieldTypeName(FieldType t) {
    return QObject::tr(kTypeNames[int(t)]);
}
QString fieldTypeCode(FieldType t) {
    return QLatin1String(kTypeCodes[int(t)]);
}
FieldType fieldTypeFromCode(const QString &code) {
    for (int i = 0; i < 6; ++i)
        if (code == QLatin1String(kTypeCodes[i]))
            return FieldType(i);
    return FieldType::Text;
}

Store::Session::Session(const QString &path) {
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';');
    c.CursorLocation = engine::adUseClient;
    c.Open();
}

Store::Session::~Session() {
    if (c.inTransaction())
        c.RollbackTrans();
    c.Close();
}

std::shared_ptr<engine::Recordset> Store::Session::run(const QString &sql,
                                                       const QVariantList &values) {
    auto rs = c.Execute(sql, values);
    return rs ? rs : std::make_shared<engine::Recordset>();
}

qint64 Store::Session::changes() {
    return run(QStringLiteral("SELECT changes()"), {})->Fields(0).toLongLong();
}
qint64 Store::Session::lastId() {
    return run(QStringLiteral("SELECT last_insert_rowid()"), {})->Fields(0).toLongLong();
}

void refuse(const QString &why) {
    throw platform::Error(ErrRecordRefused, why);
}

Store::Store() : Store(railsLibraryFolder() + QStringLiteral("/zerizori/rails.trk")) {}
Store::Store(QString databasePath) : path_(std::move(databasePath)) {}

QList<Choice> Store::choices(const QString &list) {
    Session s(path_);
    auto rs = s.run(QStringLiteral("SELECT ChoiceID, Entry, Hidden FROM tblChoice WHERE List = ? "
                                   "ORDER BY Entry COLLATE NOCASE, ChoiceID"),
                    {list});
    QList<Choice> out;
    for (; !rs->isEOF(); rs->MoveNext())
        out.append({rs->Fields(0).toLongLong(), rs->text(1), rs->Fields(2).toInt() != 0});
    return out;
}

qint64 Store::addChoice(const QString &list, const QString &entry) {
    const QString text = checkedName(entry, QObject::tr("entry"));
    Session s(path_);
    return s.write([&] {
        if (!s.run(QStringLiteral("SELECT 1 FROM tblChoice WHERE List = ? AND Entry = ?"),
                   {list, text})
                 ->isEOF())
            refuse(QObject::tr("\"%1\" is already in this list.").arg(text));
        s.run(QStringLiteral("INSERT INTO tblChoice (List, Entry) VALUES (?, ?)"), {list, text});
        return s.lastId();
    });
}

int Store::renameChoice(qint64 id, const QString &entry, const QString &column,
                        const QStringList &kindFlags) {
    static const QStringList allowed{QStringLiteral("Manufacturer"), QStringLiteral("CarType"),
                                     QStringLiteral("Gauge"),        QStringLiteral("Curve"),
                                     QStringLiteral("Condition"),    QStringLiteral("Box")};
    static const QStringList flags{QStringLiteral("Car"), QStringLiteral("Loco"),
                                   QStringLiteral("FullSet"), QStringLiteral("Track"),
                                   QStringLiteral("Accessory")};
    // Column and flag names become part of the statement: only known ones are taken.
    QStringList kinds;
    for (const QString &f : kindFlags) {
        if (!flags.contains(f))
            refuse(QObject::tr("This list cannot be renamed in."));
        kinds << f + QStringLiteral(" = 'YES'");
    }
    if (!allowed.contains(column))
        refuse(QObject::tr("This list cannot be renamed in."));
    const QString text = checkedName(entry, QObject::tr("entry"));
    Session s(path_);
    return s.write([&] {
        auto old =
            s.run(QStringLiteral("SELECT List, Entry FROM tblChoice WHERE ChoiceID = ?"), {id});
        if (old->isEOF())
            refuse(QObject::tr("The entry is no longer in the list."));
        const QString list = old->text(0), was = old->text(1);
        // A change of letter case only is a rename too; another entry with the name is not.
        if (!s.run(QStringLiteral("SELECT 1 FROM tblChoice WHERE List = ? AND Entry = ? AND "
                                  "ChoiceID <> ?"),
                   {list, text, id})
                 ->isEOF())
            refuse(QObject::tr("\"%1\" is already in this list.").arg(text));
        s.run(QStringLiteral("UPDATE tblChoice SET Entry = ? WHERE ChoiceID = ?"), {text, id});
        const QString where =
            kinds.isEmpty()
                ? QString()
                : QStringLiteral(" AND (") + kinds.join(QStringLiteral(" OR ")) + QLatin1Char(')');
        s.run(QStringLiteral("UPDATE tblMain SET ") + column + QStringLiteral(" = ? WHERE ") +
                  column + QStringLiteral(" = ? COLLATE BINARY") + where,
              {text, was});
        return int(s.changes());
    });
}

void Store::setChoiceHidden(qint64 id, bool hidden) {
    Session s(path_);
    s.run(QStringLiteral("UPDATE tblChoice SET Hidden = ? WHERE ChoiceID = ?"),
          {hidden ? 1 : 0, id});
}

QList<Field> Store::fields() {
    Session s(path_);
    auto rs = s.run(QStringLiteral("SELECT FieldID, Name, Type, Choices FROM tblField "
                                   "WHERE Removed = 0 ORDER BY Seq, FieldID"));
    QList<Field> out;
    for (; !rs->isEOF(); rs->MoveNext()) {
        const QString choices = rs->text(3);
        out.append({rs->Fields(0).toLongLong(), rs->text(1), fieldTypeFromCode(rs->text(2)),
                    choices.isEmpty() ? QStringList() : choices.split(QLatin1Char('\n'))});
    }
    return out;
}

qint64 Store::addField(const QString &name, FieldType type, const QStringList &choices) {
    const QString text = checkedName(name, QObject::tr("field name"));
    QStringList list;
    for (const QString &c : choices)
        if (!c.trimmed().isEmpty())
            list << checkedName(c.simplified(), QObject::tr("choice"));
    if (type == FieldType::Choice && list.isEmpty())
        refuse(QObject::tr("A choice field needs at least one choice."));
    Session s(path_);
    return s.write([&] {
        if (!s.run(QStringLiteral("SELECT 1 FROM tblField WHERE Removed = 0 AND Name = ?"), {text})
                 ->isEOF())
            refuse(QObject::tr("There is already a field named \"%1\".").arg(text));
        s.run(QStringLiteral("INSERT INTO tblField (Name, Type, Choices, Seq) VALUES (?, ?, ?, "
                             "(SELECT COALESCE(MAX(Seq), 0) + 1 FROM tblField))"),
              {text, fieldTypeCode(type),
               list.isEmpty() ? QVariant() : QVariant(list.join(QLatin1Char('\n')))});
        return s.lastId();
    });
}

void Store::renameField(qint64 id, const QString &name) {
    const QString text = checkedName(name, QObject::tr("field name"));
    Session s(path_);
    s.write([&] {
        if (!s.run(QStringLiteral("SELECT 1 FROM tblField WHERE Removed = 0 AND Name = ? AND "
                                  "FieldID <> ?"),
                   {text, id})
                 ->isEOF())
            refuse(QObject::tr("There is already a field named \"%1\".").arg(text));
        s.run(QStringLiteral("UPDATE tblField SET Name = ? WHERE FieldID = ? AND Removed = 0"),
              {text, id});
        if (s.changes() == 0)
            refuse(QObject::tr("The field is no longer there."));
    });
}

int Store::itemsHolding(qint64 fieldId) {
    Session s(path_);
    return s.run(QStringLiteral("SELECT COUNT(*) FROM tblFieldValue WHERE FieldID = ?"), {fieldId})
        ->Fields(0)
        .toInt();
}

void Store::removeField(qint64 id) {
    Session s(path_);
    s.write([&] {
        s.run(QStringLiteral("DELETE FROM tblFieldValue WHERE FieldID = ?"), {id});
        s.run(QStringLiteral("DELETE FROM tblDeletedFieldValue WHERE FieldID = ?"), {id});
        s.run(QStringLiteral("UPDATE tblField SET Removed = 1 WHERE FieldID = ?"), {id});
    });
}

QMap<qint64, QString> Store::fieldValues(const QString &itemId) {
    Session s(path_);
    auto rs = s.run(QStringLiteral("SELECT FieldID, Value FROM tblFieldValue WHERE ItemID = ?"),
                    {itemId});
    QMap<qint64, QString> out;
    for (; !rs->isEOF(); rs->MoveNext())
        out.insert(rs->Fields(0).toLongLong(), rs->text(1));
    return out;
}

void Store::setFieldValue(const QString &itemId, qint64 fieldId, const QString &value) {
    const QString text = value.trimmed();
    if (text.contains(QChar(0)))
        refuse(QObject::tr("A field cannot hold a NUL character."));
    Session s(path_);
    s.write([&] {
        if (s.run(QStringLiteral("SELECT 1 FROM tblMain WHERE ItemID = ?"), {itemId})->isEOF())
            refuse(QObject::tr("The item %1 is no longer in the collection.").arg(itemId));
        if (text.isEmpty())
            s.run(QStringLiteral("DELETE FROM tblFieldValue WHERE ItemID = ? AND FieldID = ?"),
                  {itemId, fieldId});
        else
            s.run(QStringLiteral("INSERT OR REPLACE INTO tblFieldValue (ItemID, FieldID, Value) "
                                 "VALUES (?, ?, ?)"),
                  {itemId, fieldId, text});
    });
}

QSet<QString> Store::itemsWithFieldText(const QString &text) {
    Session s(path_);
    // Compared here, not by SQLite, whose lower() knows only ASCII letters.
    auto rs = s.run(QStringLiteral("SELECT v.ItemID, v.Value FROM tblFieldValue v JOIN tblField f "
                                   "ON f.FieldID = v.FieldID AND f.Removed = 0"));
    QSet<QString> out;
    for (; !rs->isEOF(); rs->MoveNext())
        if (rs->text(1).contains(text, Qt::CaseInsensitive))
            out.insert(rs->text(0));
    return out;
}

QMap<QString, QString> Store::valuesOfField(qint64 fieldId) {
    Session s(path_);
    auto rs = s.run(QStringLiteral("SELECT ItemID, Value FROM tblFieldValue WHERE FieldID = ?"),
                    {fieldId});
    QMap<QString, QString> out;
    for (; !rs->isEOF(); rs->MoveNext())
        out.insert(rs->text(0), rs->text(1));
    return out;
}

} // namespace records
