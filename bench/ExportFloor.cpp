// The export floor: every item written in the export's plain form over SQLite's C API.
#include "bench/ExchangeFloors.h"
#include "bench/FloorText.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <strings.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace bench {

namespace {

using namespace floors;

// One field with its delimiter before it, quoted as RFC 4180 asks.
void put(std::string &out, string_view f, bool first = false) {
    if (!first)
        out += ',';
    if (f.find_first_of(",\"\r\n") == string_view::npos) {
        out += f;
        return;
    }
    out += '"';
    for (const char c : f) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void putText(std::string &out, string_view f) {
    if (!formulaLike(f))
        return put(out, f);
    std::string guarded = "'";
    guarded += f;
    put(out, guarded);
}

// yyyy-mm-dd naming a day that exists.
bool isoDate(string_view s) {
    if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !digits(s.substr(0, 4)) ||
        !digits(s.substr(5, 2)) || !digits(s.substr(8, 2)))
        return false;
    return validDate(std::atoi(std::string(s.substr(0, 4)).c_str()), (s[5] - '0') * 10 + s[6] - '0',
                     (s[8] - '0') * 10 + s[9] - '0');
}

void putAmount(std::string &out, sqlite3_stmt *st, int c) {
    out += ',';
    // The type alone says blank: asking a number for its text would make SQLite print it.
    const int type = sqlite3_column_type(st, c);
    if (type == SQLITE_NULL || (type == SQLITE_TEXT && sqlite3_column_bytes(st, c) == 0))
        return;
    // Qt's fixed notation, as the export writes amounts: a tie rounds away from zero
    // (13855.125 is 13855.13), where printf would round it to even.
    const QByteArray text = QByteArray::number(sqlite3_column_double(st, c), 'f', 2);
    out.append(text.constData(), std::size_t(text.size()));
}

// The collector's fields as the export writes them: their names for the header, and each
// item's values (by item number in upper case) in the fields' order.
struct OwnColumns {
    std::vector<std::string> names;
    std::unordered_map<std::string, std::vector<std::string>> byItem;

    explicit OwnColumns(sqlite3 *h) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(h,
                               "SELECT FieldID, Name FROM tblField WHERE Removed = 0 "
                               "ORDER BY Seq, FieldID",
                               -1, &st, nullptr))
            return; // a collection without the table has no such fields
        std::unordered_map<std::int64_t, std::size_t> at;
        while (sqlite3_step(st) == SQLITE_ROW) {
            at.emplace(sqlite3_column_int64(st, 0), names.size());
            names.emplace_back(col(st, 1));
        }
        sqlite3_finalize(st);
        if (names.empty() ||
            sqlite3_prepare_v2(h, "SELECT ItemID, FieldID, Value FROM tblFieldValue", -1, &st,
                               nullptr))
            return;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const auto field = at.find(sqlite3_column_int64(st, 1));
            if (field == at.end())
                continue;
            std::string item(col(st, 0));
            for (char &c : item)
                c = char(std::toupper(static_cast<unsigned char>(c)));
            auto &values = byItem[item];
            values.resize(names.size());
            values[field->second] = std::string(col(st, 2));
        }
        sqlite3_finalize(st);
    }
    void header(std::string &out) const {
        for (const std::string &n : names)
            put(out, n);
    }
    void values(std::string &out, string_view itemId) const {
        if (names.empty())
            return;
        std::string item(itemId);
        for (char &c : item)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        const auto it = byItem.find(item);
        for (std::size_t i = 0; i < names.size(); ++i)
            put(out, it == byItem.end() ? string_view() : string_view(it->second[i]));
    }
};

} // namespace

std::int64_t exportFloor(const QString &db, const QString &file) {
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READONLY, nullptr))
        die(h);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(
            h,
            "SELECT ID, ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, "
            "Curve, CarColor, Color, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
            "FullSet, Car, Loco, Track, Accessory, Condition, Box, Notes FROM tblMain ORDER BY ID",
            -1, &st, nullptr))
        die(h);
    const std::string temp = (QFile::encodeName(file) + ".floor.tmp").toStdString();
    std::FILE *f = std::fopen(temp.c_str(), "wb");
    if (!f)
        die(nullptr);
    std::string out = "\xEF\xBB\xBF"
                      "Kind,Item ID,Manufacturer,Rail Line,Type,Number,Gauge,Minimum Curve,"
                      "Color,Acquired From,Original Cost,Current Value,Date Acquired,Condition,"
                      "Box Included,Notes";
    const OwnColumns own(h);
    own.header(out);
    out += "\r\n";
    // The kinds in the export's order of precedence: flag column, name.
    const std::pair<int, const char *> kinds[] = {{16, "Rolling Stock"},
                                                  {17, "Locomotive"},
                                                  {15, "Full Set"},
                                                  {18, "Track"},
                                                  {19, "Accessory"}};
    std::int64_t rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const char *kind = "";
        bool isSet = false;
        for (const auto &[flag, name] : kinds)
            if (!*kind &&
                sqlite3_stricmp(col(st, flag).empty() ? "" : col(st, flag).data(), "YES") == 0) {
                kind = name;
                isSet = flag == 15;
            }
        put(out, kind, true);
        put(out, col(st, 1));
        for (const int c : {2, 3, 4})
            putText(out, col(st, c));
        const string_view carNumber = col(st, 5), setNumber = col(st, 6);
        putText(out, isSet || carNumber.empty() ? (setNumber.empty() ? carNumber : setNumber)
                                                : carNumber);
        putText(out, col(st, 7));
        putText(out, col(st, 8));
        putText(out, col(st, 9).empty() ? col(st, 10) : col(st, 9));
        putText(out, col(st, 11));
        putAmount(out, st, 12);
        putAmount(out, st, 13);
        const string_view date = col(st, 14);
        put(out, date.size() >= 10 && isoDate(date.substr(0, 10)) ? date.substr(0, 10) : date);
        for (const int c : {20, 21, 22})
            putText(out, col(st, c));
        own.values(out, col(st, 1));
        out += "\r\n";
        ++rows;
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), f);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), f);
    // Durable before it takes the name, as a replaced file must be.
    if (std::fflush(f) != 0 || ::fsync(fileno(f)) != 0 || std::fclose(f) != 0 ||
        std::rename(temp.c_str(), QFile::encodeName(file).constData()) != 0)
        die(nullptr);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return rows;
}

} // namespace bench
