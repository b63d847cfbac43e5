// railsdb PATH: creates an empty collection database at PATH. An existing file is never
// touched, so running it again over a collector's database is harmless.
#include <cstdio>
#include <fstream>
#include <sqlite3.h>
#include <sstream>
#include <string>
#include <sys/stat.h>

#ifndef RAILS_SCHEMA_FILE
#error "RAILS_SCHEMA_FILE must name the schema"
#endif

int main(int argc, char** argv) {
    const char* schemaPath = argc > 2 ? argv[2] : RAILS_SCHEMA_FILE;
    if (argc < 2) {
        std::fprintf(stderr, "usage: railsdb PATH [SCHEMA]\n");
        return 2;
    }
    const std::string path = argv[1];
    struct stat st {};
    if (stat(path.c_str(), &st) == 0) {
        std::fprintf(stderr, "railsdb: %s exists; left unchanged\n", path.c_str());
        return 1;
    }
    std::ifstream in(schemaPath);
    if (!in) {
        std::fprintf(stderr, "railsdb: cannot read schema %s\n", schemaPath);
        return 2;
    }
    std::stringstream schema;
    schema << in.rdbuf();

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                        nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "railsdb: cannot create %s: %s\n", path.c_str(),
                     db ? sqlite3_errmsg(db) : "out of memory");
        sqlite3_close(db);
        return 1;
    }
    char* err = nullptr;
    const std::string script = "BEGIN;\n" + schema.str() + "\nCOMMIT;";
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "railsdb: %s\n", err ? err : "schema failed");
        sqlite3_free(err);
        sqlite3_close(db);
        std::remove(path.c_str());
        return 1;
    }
    sqlite3_close(db);
    return 0;
}
