// The import floor: the plain-form sheet parsed, checked, cleaned and inserted as the import
// does it, over bytes and SQLite's C API.
#include "bench/ExchangeFloors.h"
#include "bench/FloorText.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <strings.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace bench {

using namespace floors;

namespace {

[[noreturn]] void refuseFile(const char *why) {
    std::fprintf(stderr, "floor: %s\n", why);
    std::exit(1);
}

// Reads one record of comma-separated fields, quotes undone, blank lines skipped; false at
// the end. A control character, an overlong record or an unclosed quote ends the run.
bool nextRecord(const char *&p, const char *end, std::vector<std::string> &fields) {
    for (;;) {
        if (p >= end)
            return false;
        fields.clear();
        fields.emplace_back();
        bool quoted = false, started = false;
        const char *start = p;
        while (p < end) {
            const char ch = *p++;
            if (static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\r' && ch != '\n')
                refuseFile("a control character");
            std::string &f = fields.back();
            if (quoted) {
                if (ch != '"')
                    f += ch;
                else if (p < end && *p == '"')
                    f += *p++;
                else
                    quoted = false;
            } else if (ch == '"' && !started) {
                quoted = started = true;
            } else if (ch == ',') {
                fields.emplace_back();
                started = false;
            } else if (ch == '\r' || ch == '\n') {
                if (ch == '\r' && p < end && *p == '\n')
                    ++p;
                break;
            } else {
                f += ch;
                started = true;
            }
        }
        if (quoted)
            refuseFile("an unclosed quote");
        if (p - start > 64 * 1024)
            refuseFile("an overlong record");
        if (fields.size() > 1 || fields[0].find_first_not_of(" \t") != std::string::npos)
            return true;
    }
}

string_view trimmed(string_view s) {
    const auto b = s.find_first_not_of(" \t\r\n\f\v");
    if (b == string_view::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n\f\v") - b + 1);
}

// A cell as the import reads it: the formula apostrophe removed, then trimmed.
string_view cell(const std::vector<std::string> &fields, std::size_t at) {
    if (at >= fields.size())
        return {};
    string_view v = fields[at];
    if (!v.empty() && v.front() == '\'' && formulaLike(v))
        v.remove_prefix(1);
    return trimmed(v);
}

// Lower case, letters and digits only.
std::string folded(string_view s) {
    std::string out;
    for (const char c : s)
        if (std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80)
            out += char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Characters as the forms count them (UTF-16 units).
std::size_t units(string_view s) {
    std::size_t n = 0;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        n += (b & 0xC0) != 0x80;
        n += b >= 0xF0;
    }
    return n;
}

// An amount with a point for decimals, commas or spaces between groups, a sign, and an
// optional currency before or after; false when it is none.
bool amountOf(string_view v, double &out) {
    static const char *const signs[] = {"US$", "EUR", "USD",          "CHF",
                                        "GBP", "$",   "\xE2\x82\xAC", "\xC2\xA3"};
    const auto skipCurrency = [&](string_view &s) {
        s = trimmed(s);
        for (const char *c : signs)
            if (s.size() >= std::strlen(c) && strncasecmp(s.data(), c, std::strlen(c)) == 0) {
                s = trimmed(s.substr(std::strlen(c)));
                return;
            }
    };
    skipCurrency(v);
    const bool negative = !v.empty() && v.front() == '-';
    if (negative)
        v.remove_prefix(1);
    skipCurrency(v);
    std::string n;
    std::size_t i = 0;
    int points = 0;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            n += c;
            points += c == '.';
        } else if (c != ',' && c != '\'' && c != ' ') {
            break;
        }
    }
    string_view rest = v.substr(i);
    skipCurrency(rest);
    if (n.empty() || n.front() == '.' || !rest.empty() || points > 1)
        return false;
    out = std::round(std::strtod(n.c_str(), nullptr) * 100.0) / 100.0;
    out = negative ? -out : out;
    return std::isfinite(out);
}

// yyyy-mm-dd (or with / or .) as y * 10000 + m * 100 + d; 0 when it is no date.
int dateOf(string_view v) {
    int part[3] = {0, 0, 0}, at = 0, len = 0;
    std::size_t i = 0;
    for (; i < v.size() && at < 3; ++i) {
        const char c = v[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            part[at] = part[at] * 10 + c - '0';
            ++len;
        } else if (at < 2 && len && std::strchr("-/.", c)) {
            if (at == 0 && len != 4)
                return 0;
            ++at;
            len = 0;
        } else {
            break;
        }
    }
    if (at != 2 || !len || len > 2 || (i < v.size() && v[i] != ' ' && v[i] != 'T') ||
        !validDate(part[0], part[1], part[2]))
        return 0;
    return part[0] * 10000 + part[1] * 100 + part[2];
}

int yesNo(string_view v) { // 1 yes, 0 no, -1 neither
    static const std::unordered_set<std::string> yes{"yes", "y",   "true", "1",  "x",    "ja",
                                                     "j",   "oui", "o",    "si", "wahr", "vrai"};
    static const std::unordered_set<std::string> no{"no",   "n",   "false",  "0",
                                                    "nein", "non", "falsch", "faux"};
    const std::string f = folded(v);
    return yes.count(f) ? 1 : no.count(f) ? 0 : -1;
}

} // namespace

namespace {

// The sheet's columns by the export's header: kind, item number, nine texts, two amounts,
// date, box, notes.
struct Columns {
    std::size_t at[16];
    std::size_t count = 0;
};

Columns columnsOf(const std::vector<std::string> &header) {
    static const char *const names[] = {
        "Kind",          "Item ID",       "Manufacturer", "Rail Line",
        "Type",          "Number",        "Gauge",        "Minimum Curve",
        "Color",         "Acquired From", "Condition",    "Original Cost",
        "Current Value", "Date Acquired", "Box Included", "Notes"};
    Columns c;
    c.count = header.size();
    for (int i = 0; i < 16; ++i) {
        c.at[i] = std::size_t(-1);
        for (std::size_t h = 0; h < header.size(); ++h)
            if (header[h] == names[i])
                c.at[i] = h;
    }
    return c;
}

// One row as checked: false when it is refused.
struct Row {
    int kind = -1; // car, locomotive, set
    std::string itemId, notes;
    string_view text[9];
    double amount[2] = {0, 0};
    bool hasAmount[2] = {false, false};
    int date = 0;
    const char *box = "";
    char dateText[16] = "";
};

bool checkRow(const std::vector<std::string> &fields, const Columns &c, int today, Row &r) {
    static const std::unordered_map<std::string, int> kinds{
        {"rollingstock", 0}, {"car", 0},        {"cars", 0},    {"wagon", 0},
        {"wagons", 0},       {"locomotive", 1}, {"loco", 1},    {"locos", 1},
        {"engine", 1},       {"lok", 1},        {"fullset", 2}, {"set", 2},
        {"sets", 2},         {"trainset", 2},   {"track", 3},   {"accessory", 4}};
    static const std::size_t limits[] = {50, 35, 50, 15, 50, 50, 35, 35, 50};
    for (std::size_t i = c.count; i < fields.size(); ++i)
        if (!trimmed(fields[i]).empty())
            return false;
    const auto kindIt = kinds.find(folded(cell(fields, c.at[0])));
    r.kind = kindIt == kinds.end() ? -1 : kindIt->second;
    if (r.kind < 0 || r.kind > 2)
        return false;
    r.itemId = cell(fields, c.at[1]);
    for (char &ch : r.itemId)
        ch = char(std::toupper(static_cast<unsigned char>(ch)));
    bool ok = true;
    for (int t = 0; t < 9; ++t) {
        r.text[t] = cell(fields, c.at[2 + t]);
        ok = ok && units(r.text[t]) <= limits[t] &&
             r.text[t].find_first_of("\r\n") == string_view::npos;
    }
    ok = ok && !(r.text[0].empty() && r.text[2].empty() && r.text[3].empty());
    for (int a = 0; a < 2; ++a) {
        const string_view v = cell(fields, c.at[11 + a]);
        r.hasAmount[a] = !v.empty();
        ok = ok && (v.empty() ||
                    (amountOf(v, r.amount[a]) && r.amount[a] >= 0 && r.amount[a] <= 9999999.99));
    }
    const string_view date = cell(fields, c.at[13]);
    r.date = date.empty() ? 0 : dateOf(date);
    ok = ok && (date.empty() || (r.date && r.date <= today));
    if (r.date)
        std::snprintf(r.dateText, sizeof r.dateText, "%04d-%02d-%02d", r.date / 10000,
                      r.date / 100 % 100, r.date % 100);
    const string_view box = cell(fields, c.at[14]);
    const int yes = box.empty() ? 2 : yesNo(box);
    r.box = yes == 2 ? "" : yes ? "YES" : "NO";
    r.notes = c.at[15] < fields.size() ? fields[c.at[15]] : std::string();
    if (!r.notes.empty() && r.notes.front() == '\'' && formulaLike(r.notes))
        r.notes.erase(0, 1);
    for (std::size_t n; (n = r.notes.find("\r\n")) != std::string::npos;)
        r.notes.erase(n, 1);
    r.notes = std::string(trimmed(r.notes));
    return ok && yes >= 0;
}

// What the add forms ask for and the row leaves blank: the row comes in all the same.
int blanks(const Row &r) {
    int n = !r.date + (r.kind != 0 && r.text[8].empty()) + (r.kind != 0 && !*r.box);
    for (int t = 0; t < 8; ++t)
        n += r.text[t].empty();
    return n;
}

// The row as the duplicate check compares it: kind, texts without regard to case, amounts,
// date.
std::size_t keyOf(const Row &r, std::string &key) {
    key = std::to_string(r.kind);
    const string_view texts[] = {r.text[0], r.text[1], r.text[2], r.text[3], r.text[4], r.text[5],
                                 r.text[6], r.text[7], r.text[8], r.box,     r.notes};
    for (const string_view t : texts) {
        key += '\x1f';
        for (const char ch : t)
            key += char(std::tolower(static_cast<unsigned char>(ch)));
    }
    char buf[80];
    std::snprintf(buf, sizeof buf, "\x1f%.2f\x1f%.2f\x1f", r.amount[0], r.amount[1]);
    key.append(buf).append(r.dateText);
    return std::hash<std::string>()(key);
}

struct Writer {
    sqlite3 *h = nullptr;
    sqlite3_stmt *st = nullptr;
    std::int64_t used = 0, next = 1;
    std::unordered_set<std::string> claimed; // item numbers given out

    void bind(int i, string_view v) {
        sqlite3_bind_text(st, i, v.data() ? v.data() : "", int(v.size()), SQLITE_TRANSIENT);
    }

    void add(Row &r, const char *added) {
        const std::string prefix = r.kind == 0 ? "CL-" : r.kind == 1 ? "LL-" : "SL-";
        if (r.itemId.compare(0, prefix.size(), prefix) != 0)
            r.itemId.clear();
        const std::int64_t named = r.itemId.empty() ? 0 : std::atoll(r.itemId.c_str() + 3);
        const bool keep = !r.itemId.empty() && named > used && !claimed.count(r.itemId);
        keep ? sqlite3_bind_int64(st, 1, named) : sqlite3_bind_null(st, 1);
        if (!keep)
            r.itemId = prefix + std::to_string(next);
        bind(2, r.itemId);
        for (int t = 0; t < 3; ++t)
            bind(3 + t, r.text[t]);
        sqlite3_bind_null(st, r.kind == 2 ? 6 : 7);
        bind(r.kind == 2 ? 7 : 6, r.text[3]);
        for (int t = 0; t < 4; ++t)
            bind(8 + t, r.text[4 + t]);
        for (int a = 0; a < 2; ++a)
            r.hasAmount[a] ? sqlite3_bind_double(st, 12 + a, r.amount[a])
                           : sqlite3_bind_null(st, 12 + a);
        r.date ? bind(14, r.dateText) : void(sqlite3_bind_null(st, 14));
        bind(15, added);
        bind(16, r.kind == 2 ? "YES" : "NO");
        bind(17, r.kind == 0 ? "YES" : "NO");
        bind(18, r.kind == 1 ? "YES" : "NO");
        bind(19, "NO");
        bind(20, "NO");
        bind(21, r.text[8]);
        bind(22, r.box);
        bind(23, r.notes);
        if (sqlite3_step(st) != SQLITE_DONE)
            die(h);
        sqlite3_reset(st);
        const std::int64_t id = sqlite3_last_insert_rowid(h);
        used = std::max(used, id);
        next = std::max(next, id + 1);
        claimed.insert(r.itemId);
    }
};

} // namespace

std::int64_t importFloor(const QString &db, const QString &csv, int today, const char *added,
                         std::int64_t *incompleteRows) {
    QFile in(csv);
    if (!in.open(QIODevice::ReadOnly))
        refuseFile("cannot read the file");
    const QByteArray bytes = in.readAll();
    if (!QByteArrayView(bytes).isValidUtf8())
        refuseFile("not UTF-8");
    const char *p = bytes.constData(), *end = p + bytes.size();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        p += 3;
    std::vector<std::string> fields;
    if (!nextRecord(p, end, fields))
        refuseFile("empty");
    const Columns columns = columnsOf(fields);
    Writer w;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &w.h, SQLITE_OPEN_READWRITE, nullptr))
        die(w.h);
    sqlite3_busy_timeout(w.h, 2000);
    sqlite3_exec(w.h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *ids = nullptr;
    sqlite3_prepare_v2(w.h, "SELECT IFNULL(MAX(ID), 0) FROM tblMain", -1, &ids, nullptr);
    sqlite3_step(ids);
    w.used = sqlite3_column_int64(ids, 0);
    w.next = w.used + 1;
    sqlite3_finalize(ids);
    if (sqlite3_prepare_v2(
            w.h,
            "INSERT INTO tblMain (ID,ItemID,Manufacturer,RailLine,CarType,CarNumber,SetNumber,"
            "Gauge,Curve,CarColor,AccquiredFrom,OriginalCost,CurrentValue,DateAccquired,DateAdd,"
            "FullSet,Car,Loco,Track,Accessory,Condition,Box,Notes) VALUES "
            "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            -1, &w.st, nullptr))
        die(w.h);
    std::unordered_set<std::size_t> keys; // the items already in the collection
    std::int64_t written = 0, incomplete = 0;
    std::string key;
    Row row;
    while (nextRecord(p, end, fields)) {
        if (!checkRow(fields, columns, today, row))
            continue;
        incomplete += blanks(row) > 0;
        if (keys.count(keyOf(row, key)))
            continue; // a duplicate
        w.add(row, added);
        ++written;
    }
    sqlite3_finalize(w.st);
    if (sqlite3_exec(w.h, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        die(w.h);
    sqlite3_close(w.h);
    if (incompleteRows)
        *incompleteRows = incomplete;
    return written;
}

} // namespace bench
