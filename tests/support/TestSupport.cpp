#include "tests/support/TestSupport.h"

#include "platform/Clock.h"
#include "rails/dllRails.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/resource.h>

namespace testing {

namespace {
struct Db {
    sqlite3 *db = nullptr;
    explicit Db(const QString &path, bool create = false) {
        const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open test database");
        sqlite3_busy_timeout(db, 5000);
    }
    ~Db() { sqlite3_close(db); }
};
// What the program remembers between runs (the main window's place) goes to a folder of the
// test run, never to the user's own settings; every fixture starts with none remembered.
void useTestSettings() {
    static QTemporaryDir folder;
    static const bool set = [] {
        QCoreApplication::setOrganizationName(QStringLiteral("Quillon Tests"));
        for (auto scope : {QSettings::UserScope, QSettings::SystemScope})
            for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
                QSettings::setPath(format, scope, folder.path());
        return true;
    }();
    Q_UNUSED(set);
    QSettings().clear();
}
} // namespace

ProgramFolder::ProgramFolder() {
    useTestSettings();
    QDir(dir_.path()).mkpath(QStringLiteral("zerizori"));
    QFile schema(QStringLiteral(QUILLON_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema not found");
    const QByteArray sql = schema.readAll();
    Db d(databasePath(), true);
    char *err = nullptr;
    if (sqlite3_exec(d.db, sql.constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        sqlite3_free(err);
        throw std::runtime_error("schema failed");
    }
    setRailsLibraryFolder(dir_.path());
}

ProgramFolder::~ProgramFolder() {
    setRailsLibraryFolder(QString());
}

QString ProgramFolder::readLog() const {
    QFile f(logPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

QList<QVariantList> ProgramFolder::query(const QString &sql) const {
    Db d(databasePath());
    sqlite3_stmt *st = nullptr;
    QList<QVariantList> rows;
    if (sqlite3_prepare_v2(d.db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(d.db));
    while (sqlite3_step(st) == SQLITE_ROW) {
        QVariantList row;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL:
                row << QVariant();
                break;
            case SQLITE_INTEGER:
                row << QVariant(qlonglong(sqlite3_column_int64(st, i)));
                break;
            case SQLITE_FLOAT:
                row << QVariant(sqlite3_column_double(st, i));
                break;
            case SQLITE_BLOB:
                row << QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)),
                                           sqlite3_column_bytes(st, i)));
                break;
            default:
                row << QVariant(
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                      sqlite3_column_bytes(st, i)));
            }
        }
        rows << row;
    }
    sqlite3_finalize(st);
    return rows;
}

QVariant ProgramFolder::scalar(const QString &sql) const {
    const auto rows = query(sql);
    return rows.isEmpty() || rows[0].isEmpty() ? QVariant() : rows[0][0];
}

void ProgramFolder::exec(const QString &sql) const {
    Db d(databasePath());
    char *err = nullptr;
    if (sqlite3_exec(d.db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const std::string msg = err ? err : "exec failed";
        sqlite3_free(err);
        throw std::runtime_error(msg);
    }
}

void storeOwnerProfile(const ProgramFolder &pf, const QString &email) {
    pf.exec(QStringLiteral("INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,Zip,Email,"
                           "FullName,DateAdd) VALUES ('O-1','Lee','Ann','1 Depot Road',"
                           "'Springfield','IL','62701','%1','Ann Lee','2026-03-01 10:00:00')")
                .arg(email));
}

ScriptedMsgBox::ScriptedMsgBox() {
    platform::setMsgBoxHandler([this](const platform::MsgRequest &r) {
        boxes_.append(r);
        if (onShow)
            onShow(r);
        if (answers_.empty()) {
            ++unexpected_;
            switch (r.buttons) {
            case platform::MsgButtons::OK:
                return platform::MsgResult::OK;
            case platform::MsgButtons::YesNo:
                return platform::MsgResult::No;
            case platform::MsgButtons::RetryCancel:
                return platform::MsgResult::Cancel;
            }
            return platform::MsgResult::No;
        }
        const auto a = answers_.front();
        answers_.pop_front();
        return a;
    });
}

ScriptedMsgBox::~ScriptedMsgBox() {
    platform::setMsgBoxHandler({});
}

FakeClock::FakeClock(QDateTime start) : now_(std::move(start)) {
    platform::setClock([this] { return now_; });
}

FakeClock::~FakeClock() {
    platform::setClock({});
}

FileSizeLimit::FileSizeLimit(long long bytes) {
    rlimit now{};
    getrlimit(RLIMIT_FSIZE, &now);
    saved_ = now.rlim_cur;
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    now.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &now);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit now{};
    getrlimit(RLIMIT_FSIZE, &now);
    now.rlim_cur = rlim_t(saved_);
    setrlimit(RLIMIT_FSIZE, &now);
    std::signal(SIGXFSZ, savedHandler_);
}

} // namespace testing
