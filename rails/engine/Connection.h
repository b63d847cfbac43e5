#pragma once
// A connection to the collection database over SQLite's C API, in the shape the store and
// the report data source use it: a connection string, open/close, one transaction at a time,
// and execution of exactly one statement per call. Failures raise platform::Error carrying
// SQLite's extended result code and message.
#include "rails/engine/Recordset.h"
#include "rails/engine/Statement.h"

#include "platform/Error.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

enum CursorLocation { adUseServer = 2, adUseClient = 3 };

// How openFile() opens a file: as it is for reading, as it is for reading and writing,
// creating it when it does not exist, or creating it where nothing may exist yet.
enum class OpenMode { ReadOnly, ReadWrite, Create, CreateNew };

class Connection {
  public:
    enum StateValue { adStateClosed = 0, adStateOpen = 1 };

    Connection() = default;
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    QString ConnectionString;
    int CursorLocation = adUseServer;
    // How long a statement waits for another process's lock before it fails.
    int busyTimeoutMs = 2000;

    const QList<platform::Error> &Errors() const { return errors_; }
    void ErrorsClear() { errors_.clear(); }

    void Open();
    // Opens the file at `path` itself (no connection string), for the program's own file
    // work: copies, checks and rebuilds. ":memory:" opens a database held in memory.
    void openFile(const QString &path, OpenMode mode);
    void Close();
    int State() const { return db_ ? adStateOpen : adStateClosed; }
    bool inTransaction() const { return inTransaction_; }

    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // Runs one statement. A statement that returns columns yields a detached record set;
    // others yield nothing. Text holding more than one statement is refused.
    std::shared_ptr<Recordset> Execute(const QString &sql);
    // Runs one statement with its values bound to the `?` placeholders in order (a null
    // QVariant binds Null, a QByteArray a blob, numbers as numbers, anything else as text).
    // Values never become part of the SQL text.
    std::shared_ptr<Recordset> Execute(const QString &sql, const QVariantList &values);

    // Runs a script of statements separated by semicolons (a schema), returning no rows.
    void executeScript(const QByteArray &sql);
    std::int64_t lastInsertRowId() const;
    // The rows the last insert, update or delete changed.
    std::int64_t changes() const;
    // Closing leaves a write-ahead log beside the file as it is instead of folding it in.
    void keepLogOnClose();
    // Raises the error of the connection's last failed call.
    [[noreturn]] void raiseLastError() { raiseFromDb(); }
    // SQLite's text for a result code.
    static QString resultText(int code);

    // The open SQLite handle, for SQLite services the engine does not wrap (online backup).
    sqlite3 *handle() const { return db_; }

    // The file named by the Data Source piece, resolved against the current folder.
    QString dataSourcePath() const;
    QString provider() const;

  private:
    [[noreturn]] void raise(int code, const QString &description);
    [[noreturn]] void raiseFromDb();
    friend class Statement;
    void requireOpen();
    void openHandle(const QByteArray &path, int flags);
    void exec(const char *sql);
    sqlite3_stmt *prepareOne(QByteArrayView sql);
    void bindAll(sqlite3_stmt *stmt, const QVariantList &values);
    std::shared_ptr<Recordset> readRows(sqlite3_stmt *stmt);
    std::shared_ptr<Recordset> run(const QString &sql, const QVariantList *values);

    sqlite3 *db_ = nullptr;
    bool inTransaction_ = false;
    QList<platform::Error> errors_;
};

// Reads one piece ("Data Source", "Provider", ...) of a connection string.
QString connectionStringPiece(const QString &connect, const QString &key);

// Resolves a path whose folder and file names may differ in letter case from what exists on
// a case-sensitive file system; returns the path unchanged when nothing matches.
QString resolvePathCase(const QString &path);

} // namespace engine
