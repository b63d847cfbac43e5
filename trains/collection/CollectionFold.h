#pragma once
// Inside the collection view's rows: folded text (lower case, accents dropped) as finding and
// sorting compare it, and the folding of a whole record set at the speed of copying it.
#include "rails/engine/Recordset.h"
#include "trains/collection/CollectionModel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <string>
#include <string_view>
#include <unordered_map>

namespace collection::detail {

// Stands between columns in the folded text, so that no word can match across two columns.
inline constexpr char kColumnBreak = '\x1f';

// Record set column of each designed view column (-1: not in the browse rows).
inline constexpr int kSource[CollectionModel::colCount] = {
    bcKind, bcItemId, bcManufacturer, bcRailLine, bcType,      bcNumber, bcGauge, bcCurve, bcColour,
    bcFrom, bcCost,   bcValue,        bcAcquired, bcCondition, bcBox,    -1,      -1};

// The text columns finding looks in.
inline constexpr int kSearched[] = {bcItemId, bcManufacturer, bcRailLine, bcType,
                                    bcNumber, bcGauge,        bcCurve,    bcColour,
                                    bcFrom,   bcCondition,    bcNotes};

// The natural order of two folded texts: digit runs by value, other bytes as they are.
int naturalCompareFolded(std::string_view a, std::string_view b);

inline std::string_view viewOf(const QByteArray &b) {
    return std::string_view(b.constData(), std::size_t(b.size()));
}

// Finds texts kept as std::string by a std::string_view, without copying it.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Folded cell texts for one load: ASCII is folded as it is copied; any other text is folded
// once however many rows hold it (a maker or a condition repeats thousands of times).
class CellFolder {
  public:
    explicit CellFolder(const engine::Recordset &rows) : rows_(rows) {}

    // The cell's text as UTF-8, read in place where the set holds it as text.
    QByteArrayView bytes(qsizetype row, int column);
    // Appends the folded text; a column break in a text becomes a blank.
    void append(QByteArray &out, QByteArrayView text);

  private:
    const QByteArray &foldedOnce(QByteArrayView text);

    const engine::Recordset &rows_;
    QByteArray scratch_;
    std::unordered_map<std::string, QByteArray, TextHash, std::equal_to<>> seen_;
};

} // namespace collection::detail
