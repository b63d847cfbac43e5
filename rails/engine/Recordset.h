#pragma once
// A detached, read-only record set held in memory: every row a statement returned, read by
// column name. Cells are packed into one byte buffer so that 100,000 item rows cost about
// what SQLite's own file holds, and a field value is only turned into a QVariant when read.
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <vector>

namespace engine {

class Recordset {
public:
    enum StateValue { adStateClosed = 0, adStateOpen = 1 };

    Recordset() = default;

    bool isEOF() const;
    bool isBOF() const;
    void MoveFirst();
    void MoveNext();
    // The current row's value of the column; a Null value is a null QVariant. Raises an error
    // when there is no current row or no such column.
    QVariant Fields(const QString& column) const;
    QVariant Fields(int column) const;
    int State() const { return open_ ? adStateOpen : adStateClosed; }
    void Close();

    // Column access for code that walks many rows.
    int fieldCount() const { return int(columns_.size()); }
    QString fieldName(int column) const { return columns_.value(column); }
    int fieldIndex(const QString& column) const; // -1 when absent
    qsizetype RecordCount() const { return rows_; }
    // Text of a cell without building a QVariant; empty for Null.
    QString text(int column) const;
    bool isNull(int column) const;
    // Moves to the given row (0-based); past the end means EOF.
    void moveTo(qsizetype row);
    qsizetype position() const { return pos_; }

    // Building (used by the connection while it reads rows).
    enum class CellType : uint8_t { Null, Integer, Real, Text, Blob };
    void setColumns(QStringList names);
    void appendInteger(int64_t v);
    void appendReal(double v);
    void appendText(const char* utf8, int bytes);
    void appendBlob(const void* data, int bytes);
    void appendNull();
    void endRow();
    void finish(); // opens the set at its first row
    std::size_t memoryUsed() const;

private:
    struct Cell {
        uint32_t offset; // into data_
        uint32_t size : 29;
        uint32_t type : 3;
    };
    const Cell& cell(int column) const;
    void requireRow() const;

    QStringList columns_;
    std::vector<Cell> cells_;
    std::vector<char> data_;
    qsizetype rows_ = 0;
    qsizetype pos_ = 0;
    bool open_ = false;
    mutable int lastField_ = -1;
};

} // namespace engine
