#pragma once
// One prepared statement of a connection, kept for many rows: values are bound by position,
// each step gives the next row, and a reset makes it ready for the next values. Code that
// writes or reads many rows prepares once instead of once per row. Failures raise
// platform::Error with SQLite's extended result code and message, as the connection's do.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>

struct sqlite3_stmt;

namespace engine {

class Connection;

class Statement {
  public:
    enum ColumnType { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };

    // Prepares exactly one statement; text holding more than one is refused.
    Statement(Connection &connection, QByteArrayView sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    int parameterCount() const;
    void bindNull(int index); // positions start at 1, as in the SQL text
    void bindInt(int index, std::int64_t value);
    void bindDouble(int index, double value);
    void bindText(int index, QByteArrayView utf8);
    void bindText(int index, QStringView text);
    // Binds the value of `column` of `from`'s current row as it is stored (any type).
    void bindColumn(int index, const Statement &from, int column);

    // The next row: true while there is one, false when the statement is done.
    bool step();
    // Runs a statement that returns no rows to its end.
    void run() {
        while (step()) {
        }
    }
    // Ready for the next values; the bound values stay until bound again.
    void reset();

    int columnCount() const;
    ColumnType type(int column) const;
    bool isNull(int column) const { return type(column) == Null; }
    std::int64_t integer(int column) const;
    double real(int column) const;
    // The value's bytes as text (UTF-8) or a blob; valid until the next step or reset.
    QByteArrayView bytes(int column) const;
    QByteArrayView blob(int column) const;
    QString text(int column) const;

  private:
    [[noreturn]] void fail() const;
    void check(int rc) const;

    Connection *connection_;
    sqlite3_stmt *stmt_ = nullptr;
};

} // namespace engine
