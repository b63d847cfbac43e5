#pragma once
// A detached, read-only record set held in memory: every row a statement returned, read by
// column name. Rows are packed into large blocks that are never moved or copied as the set
// grows; each cell is a small header (its type and byte count in one variable-length number,
// as SQLite's own records are written) followed by its bytes. 100,000 item rows cost about
// what their values hold, and a field value only becomes a QVariant when it is read.
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace engine {

class Recordset {
  public:
    enum StateValue { adStateClosed = 0, adStateOpen = 1 };

    Recordset() = default;
    // Moving leaves the source closed and empty.
    Recordset(Recordset &&other) noexcept;
    Recordset &operator=(Recordset &&other) noexcept;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;
    ~Recordset() = default;
    // A full copy, for a reader on another thread that must not share the position.
    Recordset clone() const;

    bool isEOF() const;
    bool isBOF() const;
    void MoveFirst();
    void MoveNext();
    // The current row's value of the column; a Null value is a null QVariant. Raises an error
    // when there is no current row or no such column.
    QVariant Fields(const QString &column) const;
    QVariant Fields(int column) const;
    int State() const { return open_ ? adStateOpen : adStateClosed; }
    void Close();

    // Column access for code that walks many rows.
    int fieldCount() const { return int(columns_.size()); }
    QString fieldName(int column) const { return columns_.value(column); }
    int fieldIndex(const QString &column) const; // -1 when absent
    qsizetype RecordCount() const { return qsizetype(rows_.size()); }
    // Text of a cell without building a QVariant; empty for Null.
    QString text(int column) const;
    bool isNull(int column) const;
    // Appends the text of a cell to `out` (nothing for Null).
    void appendTextTo(int column, QString &out) const;
    // Moves to the given row (0-based); past the end means EOF.
    void moveTo(qsizetype row);
    qsizetype position() const { return pos_; }

    // The same reads at any row (0-based), without moving: lists read the rows they show.
    QVariant valueAt(qsizetype row, int column) const;
    QString textAt(qsizetype row, int column) const;
    bool isNullAt(qsizetype row, int column) const;
    // The stored bytes (UTF-8) of a text cell, without decoding them; false for any other type.
    bool utf8At(qsizetype row, int column, QByteArrayView *bytes) const;

    // Building (used by the connection while it reads rows; a set may grow after finish).
    enum class CellType : uint8_t { Null, Integer, Real, Text, Blob };
    void setColumns(QStringList names);
    void appendInteger(int64_t v);
    void appendReal(double v);
    void appendText(const char *utf8, qsizetype bytes);
    void appendBlob(const void *data, qsizetype bytes);
    void appendNull();
    void endRow();
    // A whole row at once, one cell per column: what the connection uses for every row it
    // reads, with one check for room instead of one per cell. Integer and Real cells point at
    // their 8-byte value.
    struct CellIn {
        CellType type = CellType::Null;
        const void *data = nullptr;
        std::size_t bytes = 0;
    };
    void appendRow(const CellIn *cells, int count);
    void finish(); // opens the set at its first row; the last block is trimmed to its contents
                   // when more than a page of it is left
    std::size_t memoryUsed() const;

  private:
    struct Free {
        void operator()(char *p) const { std::free(p); }
    };
    struct Block {
        std::unique_ptr<char, Free> data;
        std::size_t capacity = 0;
        std::size_t used = 0;
        qsizetype firstRow = 0;
    };
    struct CellRef {
        const char *data = nullptr;
        std::size_t size = 0;
        CellType type = CellType::Null;
    };
    const CellRef &cellAt(qsizetype row, int column) const;
    const CellRef &cell(int column) const;
    void requireRow() const;
    void requireColumn(int column) const;
    void appendCell(CellType type, const void *data, std::size_t bytes);
    char *room(std::size_t bytes);
    void trimLastBlock();
    static QVariant value(const CellRef &c);

    QStringList columns_;
    std::vector<Block> blocks_;
    std::vector<std::size_t> rows_; // where each row starts in its block
    std::size_t rowStart_ = 0;      // where the row being built starts in the last block
    int cellsInRow_ = 0;
    qsizetype pos_ = 0;
    bool open_ = false;
    mutable int lastField_ = -1;
    // Every change gives the set a number no other set has had: rows found by a reader stay
    // valid while it holds.
    struct RowCache;
    static RowCache &rowCache();
    void changed();
    std::uint64_t version_ = 0;
};

} // namespace engine
