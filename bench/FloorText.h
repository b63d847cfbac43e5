#pragma once
// Small pieces both exchange floors use: plain C++ over bytes and SQLite's C API.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <string_view>

namespace bench::floors {

using std::string_view;

[[noreturn]] inline void die(sqlite3 *h) {
    std::fprintf(stderr, "floor: %s\n", h ? sqlite3_errmsg(h) : "cannot open");
    std::exit(1);
}

inline string_view col(sqlite3_stmt *st, int c) {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
    return p ? string_view(p, std::size_t(sqlite3_column_bytes(st, c))) : string_view();
}

inline bool formulaLike(string_view t) {
    while (!t.empty() && t.front() == '\'')
        t.remove_prefix(1);
    return !t.empty() && std::memchr("=+-@\t\r", t.front(), 6);
}

inline bool digits(string_view s) {
    for (const char c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.empty();
}

inline int daysIn(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

inline bool validDate(int y, int m, int d) {
    return y >= 1 && m >= 1 && m <= 12 && d >= 1 && d <= daysIn(y, m);
}

} // namespace bench::floors
