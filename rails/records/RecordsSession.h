#pragma once
// One open connection for the length of one store call; an open transaction is rolled back
// and the connection closed whatever happens.
#include "rails/engine/Connection.h"
#include "rails/records/Records.h"

namespace records {

struct Store::Session {
    explicit Session(const QString &path);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    std::shared_ptr<engine::Recordset> run(const QString &sql, const QVariantList &values = {});
    qint64 changes();
    qint64 lastId();
    // Runs `body` in one transaction, committed when it returns.
    template <class F> auto write(F body) {
        c.BeginTrans();
        if constexpr (std::is_void_v<decltype(body())>) {
            body();
            c.CommitTrans();
        } else {
            auto result = body();
            c.CommitTrans();
            return result;
        }
    }
    engine::Connection c;
};

[[noreturn]] void refuse(const QString &why);

} // namespace records
