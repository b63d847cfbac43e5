#pragma once
// Whose file a collection file is, read from its header without opening it as a database:
// PRAGMA application_id and user_version live at fixed places in a SQLite file's first page.
#include <QString>

namespace exchange {

struct FileIdentity {
    bool sqlite = false;      // the file starts as a SQLite database does
    qint32 applicationId = 0; // 0: not set (a file made before the program set it)
    qint32 userVersion = 0;   // the schema additions the file holds
    // A SQLite file that names another program as its owner.
    bool foreign() const;
    // Ours by name: the application id this program gives every collection file.
    bool ours() const;
};

FileIdentity readFileIdentity(const QString &path);

} // namespace exchange
