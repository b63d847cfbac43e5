#include "rails/engine/Connection.h"

#include <QDir>
#include <QFileInfo>
#include <cstdint>
#include <cstring>
#include <sqlite3.h>
#include <vector>

namespace engine {

using platform::Error;

namespace {
constexpr int ErrMultipleStatements = SQLITE_MISUSE;
}

QString connectionStringPiece(const QString &connect, const QString &key) {
    const auto pieces = connect.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const int eq = piece.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (piece.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return piece.mid(eq + 1).trimmed();
    }
    return {};
}

QString resolvePathCase(const QString &path) {
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (p.isEmpty() || QFileInfo::exists(p))
        return p;
    const bool absolute = p.startsWith(QLatin1Char('/'));
    const QStringList parts = p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString built = absolute ? QStringLiteral("/") : QString();
    for (const QString &part : parts) {
        const QString base = built.isEmpty() ? QStringLiteral(".") : built;
        QString next = built + part;
        if (!QFileInfo::exists(next)) {
            const QStringList entries =
                QDir(base).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            for (const QString &e : entries) {
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    next = built + e;
                    break;
                }
            }
        }
        built = next + QLatin1Char('/');
    }
    built.chop(1);
    return built;
}

Connection::~Connection() {
    if (db_)
        sqlite3_close_v2(db_);
}

QString Connection::provider() const {
    return connectionStringPiece(ConnectionString, QStringLiteral("Provider"));
}

QString Connection::dataSourcePath() const {
    QString source = connectionStringPiece(ConnectionString, QStringLiteral("Data Source"));
    source.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QFileInfo(source).isRelative())
        source = QDir::current().absoluteFilePath(source);
    return resolvePathCase(source);
}

void Connection::raise(int code, const QString &description) {
    Error e(code, description);
    errors_.append(e);
    throw e;
}

void Connection::raiseFromDb() {
    const int code = sqlite3_extended_errcode(db_);
    raise(code, QString::fromUtf8(sqlite3_errmsg(db_)));
}

void Connection::requireOpen() {
    if (!db_)
        raise(platform::ErrObjectClosed,
              QStringLiteral("Operation is not allowed when the object is closed."));
}

void Connection::openHandle(const QByteArray &path, int flags) {
    if (db_)
        raise(platform::ErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open."));
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close_v2(db);
        raise(code, msg);
    }
    db_ = db;
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
}

void Connection::Open() {
    if (db_)
        raise(platform::ErrObjectOpen,
              QStringLiteral("Operation is not allowed when the object is open."));
    if (provider().compare(QLatin1String("SQLite"), Qt::CaseInsensitive) != 0)
        raise(SQLITE_CANTOPEN, QStringLiteral("Provider cannot be found. It may not be properly "
                                              "installed."));
    const QString path = dataSourcePath();
    if (!QFileInfo(path).isFile())
        raise(SQLITE_CANTOPEN, QStringLiteral("Could not find file '%1'.").arg(path));
    // A connection lives within one call on one thread: SQLite need not lock it for every
    // value read (a 100,000-row listing reads millions of values).
    openHandle(path.toUtf8(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
}

void Connection::openFile(const QString &path, OpenMode mode) {
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case OpenMode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case OpenMode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case OpenMode::Create:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    case OpenMode::CreateNew:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE;
        break;
    }
    openHandle(QFile::encodeName(path), flags);
}

void Connection::Close() {
    requireOpen();
    if (inTransaction_) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        inTransaction_ = false;
    }
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void Connection::exec(const char *sql) {
    requireOpen();
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        raiseFromDb();
}

void Connection::executeScript(const QByteArray &sql) {
    exec(sql.constData());
}

std::int64_t Connection::changes() const {
    return db_ ? sqlite3_changes64(db_) : 0;
}

std::int64_t Connection::lastInsertRowId() const {
    return db_ ? sqlite3_last_insert_rowid(db_) : 0;
}

void Connection::keepLogOnClose() {
    requireOpen();
    sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

QString Connection::resultText(int code) {
    return QString::fromUtf8(sqlite3_errstr(code));
}

int Connection::BeginTrans() {
    exec("BEGIN");
    inTransaction_ = true;
    return 1;
}

void Connection::CommitTrans() {
    if (!inTransaction_)
        raise(SQLITE_ERROR, QStringLiteral("No transaction is active."));
    exec("COMMIT");
    inTransaction_ = false;
}

void Connection::RollbackTrans() {
    if (!inTransaction_)
        raise(SQLITE_ERROR, QStringLiteral("No transaction is active."));
    inTransaction_ = false;
    exec("ROLLBACK");
}

std::shared_ptr<Recordset> Connection::Execute(const QString &sql) {
    return run(sql, nullptr);
}

std::shared_ptr<Recordset> Connection::Execute(const QString &sql, const QVariantList &values) {
    return run(sql, &values);
}

sqlite3_stmt *Connection::prepareOne(QByteArrayView text) {
    requireOpen();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db_, text.data(), int(text.size()), &stmt, &tail) != SQLITE_OK)
        raiseFromDb();
    struct Finalizer {
        sqlite3_stmt *s;
        ~Finalizer() { sqlite3_finalize(s); }
    } fin{stmt};
    // Whatever follows the first statement must be blank: one call, one statement.
    const char *end = text.data() + text.size();
    for (const char *p = tail; p && p < end; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';')
            raise(ErrMultipleStatements,
                  QStringLiteral("Characters found after end of SQL statement."));
    }
    if (!stmt)
        raise(SQLITE_ERROR, QStringLiteral("The command text holds no statement."));
    fin.s = nullptr;
    return stmt;
}

void Connection::bindAll(sqlite3_stmt *stmt, const QVariantList &values) {
    if (values.size() != sqlite3_bind_parameter_count(stmt))
        raise(SQLITE_RANGE, QStringLiteral("The statement takes %1 values; %2 were given.")
                                .arg(sqlite3_bind_parameter_count(stmt))
                                .arg(values.size()));
    for (int i = 0; i < int(values.size()); ++i) {
        const QVariant &v = values.at(i);
        int rc = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(stmt, i + 1);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = v.isNull() ? sqlite3_bind_null(stmt, i + 1)
                            : sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = v.isNull() ? sqlite3_bind_null(stmt, i + 1)
                            : sqlite3_bind_double(stmt, i + 1, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob64(stmt, i + 1, b.constData(), sqlite3_uint64(b.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            if (v.isNull()) {
                rc = sqlite3_bind_null(stmt, i + 1);
                break;
            }
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, i + 1, t.constData(), sqlite3_uint64(t.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
        if (rc != SQLITE_OK)
            raiseFromDb();
    }
}

namespace {
// The current row's cell of `column`, pointing at SQLite's copy of it (valid until the next
// step); a number is put in `scalar` first. False when SQLite could not make the text.
bool readCell(sqlite3_stmt *stmt, int column, Recordset::CellIn &cell, std::int64_t &scalar) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        cell = {Recordset::CellType::Null, nullptr, 0};
        break;
    case SQLITE_INTEGER:
        scalar = sqlite3_column_int64(stmt, column);
        cell = {Recordset::CellType::Integer, &scalar, 8};
        break;
    case SQLITE_FLOAT: {
        const double v = sqlite3_column_double(stmt, column);
        std::memcpy(&scalar, &v, 8);
        cell = {Recordset::CellType::Real, &scalar, 8};
        break;
    }
    case SQLITE_BLOB: {
        const void *b = sqlite3_column_blob(stmt, column);
        cell = {Recordset::CellType::Blob, b, std::size_t(sqlite3_column_bytes(stmt, column))};
        break;
    }
    default: {
        const void *t = sqlite3_column_text(stmt, column);
        if (!t) // SQLite could not make the text (out of memory)
            return false;
        cell = {Recordset::CellType::Text, t, std::size_t(sqlite3_column_bytes(stmt, column))};
        break;
    }
    }
    return true;
}
} // namespace

std::shared_ptr<Recordset> Connection::readRows(sqlite3_stmt *stmt) {
    const int columns = sqlite3_column_count(stmt);
    std::shared_ptr<Recordset> rs;
    if (columns > 0) {
        rs = std::make_shared<Recordset>();
        QStringList names;
        names.reserve(columns);
        for (int i = 0; i < columns; ++i)
            names << QString::fromUtf8(sqlite3_column_name(stmt, i));
        rs->setColumns(std::move(names));
    }
    // One row's cells, handed to the set whole; the values they point at stay valid until
    // the next step.
    std::vector<Recordset::CellIn> row(static_cast<std::size_t>(columns));
    std::vector<std::int64_t> scalars(row.size());
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW)
            raiseFromDb();
        if (!rs)
            continue;
        for (int i = 0; i < columns; ++i)
            if (!readCell(stmt, i, row[std::size_t(i)], scalars[std::size_t(i)]))
                raiseFromDb();
        rs->appendRow(row.data(), columns);
    }
    if (rs)
        rs->finish();
    return rs;
}

std::shared_ptr<Recordset> Connection::run(const QString &sql, const QVariantList *values) {
    requireOpen();
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *stmt = prepareOne(text);
    struct Finalizer {
        sqlite3_stmt *s;
        ~Finalizer() { sqlite3_finalize(s); }
    } fin{stmt};
    if (values)
        bindAll(stmt, *values);
    return readRows(stmt);
}

} // namespace engine
