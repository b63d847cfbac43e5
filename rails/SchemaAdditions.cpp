#include "rails/SchemaAdditions.h"

namespace rails {

const QStringList& schemaAdditions() {
    static const QStringList statements{};
    return statements;
}

void applySchemaAdditions(engine::Connection& c) {
    const QStringList& statements = schemaAdditions();
    if (statements.isEmpty())
        return;
    c.BeginTrans();
    try {
        for (const QString& s : statements)
            c.Execute(s);
        c.CommitTrans();
    } catch (...) {
        if (c.inTransaction())
            c.RollbackTrans();
        throw;
    }
}

} // namespace rails
