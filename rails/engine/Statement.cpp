#include "rails/engine/Statement.h"

#include "rails/engine/Connection.h"

#include <sqlite3.h>

namespace engine {

Statement::Statement(Connection &connection, QByteArrayView sql) : connection_(&connection) {
    stmt_ = connection.prepareOne(sql);
}

Statement::~Statement() {
    sqlite3_finalize(stmt_);
}

void Statement::fail() const {
    connection_->raiseLastError();
}

void Statement::check(int rc) const {
    if (rc != SQLITE_OK)
        fail();
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(stmt_);
}

void Statement::bindNull(int index) {
    check(sqlite3_bind_null(stmt_, index));
}

void Statement::bindInt(int index, std::int64_t value) {
    check(sqlite3_bind_int64(stmt_, index, value));
}

void Statement::bindDouble(int index, double value) {
    check(sqlite3_bind_double(stmt_, index, value));
}

void Statement::bindText(int index, QByteArrayView utf8) {
    // An empty view may have no data pointer: it is still empty text, not Null.
    check(sqlite3_bind_text64(stmt_, index, utf8.data() ? utf8.data() : "",
                              sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8));
}

void Statement::bindText(int index, QStringView text) {
    check(sqlite3_bind_text16(stmt_, index, text.utf16() ? text.utf16() : u"", int(text.size() * 2),
                              SQLITE_TRANSIENT));
}

void Statement::bindColumn(int index, const Statement &from, int column) {
    check(sqlite3_bind_value(stmt_, index, sqlite3_column_value(from.stmt_, column)));
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail();
    return false;
}

void Statement::reset() {
    sqlite3_reset(stmt_); // reports the last step's failure again, which step raised already
}

int Statement::columnCount() const {
    return sqlite3_column_count(stmt_);
}

Statement::ColumnType Statement::type(int column) const {
    return ColumnType(sqlite3_column_type(stmt_, column));
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(stmt_, column);
}

QByteArrayView Statement::bytes(int column) const {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt_, column));
    return QByteArrayView(p, p ? sqlite3_column_bytes(stmt_, column) : 0);
}

QByteArrayView Statement::blob(int column) const {
    const auto *p = static_cast<const char *>(sqlite3_column_blob(stmt_, column));
    return QByteArrayView(p, p ? sqlite3_column_bytes(stmt_, column) : 0);
}

QString Statement::text(int column) const {
    const QByteArrayView b = bytes(column);
    return QString::fromUtf8(b.data(), b.size());
}

} // namespace engine
