#include "rails/engine/Recordset.h"

#include "platform/Error.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace engine {

using platform::Error;

namespace {

// Rows are written into blocks of this size; a larger row gets a block of its own size.
constexpr std::size_t kBlockBytes = std::size_t(1) << 20;
constexpr std::size_t kPageBytes = 4096;
// A cell header holds the byte count shifted past the three type bits, in at most ten bytes.
constexpr std::size_t kMaxHeader = 10;
constexpr std::size_t kMaxCellBytes = std::numeric_limits<std::uint64_t>::max() >> 3;
// The classic "Out of memory": a size this set cannot hold.
constexpr int kErrOutOfMemory = 7;

// A cell of `bytes` after `before` bytes of its row that no set can hold.
inline bool tooLarge(std::size_t bytes, std::size_t before) {
    return bytes > kMaxCellBytes ||
           bytes > std::numeric_limits<std::size_t>::max() - kMaxHeader - before;
}

[[noreturn]] void raiseOutOfMemory() {
    throw Error(kErrOutOfMemory, QStringLiteral("Out of memory"));
}

void raiseClosed() {
    throw Error(platform::ErrObjectClosed,
                QStringLiteral("Operation is not allowed when the object is closed."));
}

[[noreturn]] void raiseNoRecord() {
    throw Error(platform::ErrNoCurrentRecord,
                QStringLiteral("Either BOF or EOF is True, or the current record has been "
                               "deleted. Requested operation requires a current record."));
}

[[noreturn]] void raiseNoItem() {
    throw Error(platform::ErrItemNotFound,
                QStringLiteral("Item cannot be found in the collection corresponding to the "
                               "requested name or ordinal."));
}

std::size_t putHeader(char *out, std::uint64_t v) {
    std::size_t n = 0;
    while (v >= 0x80) {
        out[n++] = char(std::uint8_t(v) | 0x80);
        v >>= 7;
    }
    out[n++] = char(v);
    return n;
}

// Most cells are a few bytes: copied with fixed-size moves the compiler writes in place (two
// that overlap cover every length between their sizes) instead of a call per cell.
inline void copyCell(char *out, const void *from, std::size_t bytes) {
    const auto *in = static_cast<const char *>(from);
    if (bytes >= 8 && bytes <= 16) {
        std::memcpy(out, in, 8);
        std::memcpy(out + bytes - 8, in + bytes - 8, 8);
    } else if (bytes >= 4 && bytes < 8) {
        std::memcpy(out, in, 4);
        std::memcpy(out + bytes - 4, in + bytes - 4, 4);
    } else if (bytes > 16) {
        std::memcpy(out, in, bytes);
    } else if (bytes > 0) { // one to three bytes: first, middle and last
        out[0] = in[0];
        out[bytes / 2] = in[bytes / 2];
        out[bytes - 1] = in[bytes - 1];
    }
}

std::size_t headerSize(std::uint64_t v) {
    std::size_t n = 1;
    for (; v >= 0x80; v >>= 7)
        ++n;
    return n;
}

std::uint64_t getHeader(const char *&p) {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = std::uint8_t(*p++);
        v |= std::uint64_t(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return v;
    }
}

} // namespace

// The cells of the row a thread read last. Each thread keeps its own, so that a set can be
// read by two threads at once (a report written in the background while its preview shows).
struct Recordset::RowCache {
    std::uint64_t version = 0;
    qsizetype row = -1;
    int count = 0;
    const char *next = nullptr;
    std::vector<CellRef> cells;
};

Recordset::RowCache &Recordset::rowCache() {
    thread_local RowCache cache;
    return cache;
}

void Recordset::changed() {
    static std::atomic<std::uint64_t> versions{0};
    version_ = ++versions;
}

Recordset::Recordset(Recordset &&other) noexcept {
    *this = std::move(other);
}

Recordset &Recordset::operator=(Recordset &&other) noexcept {
    if (this != &other) {
        columns_ = std::exchange(other.columns_, {});
        blocks_ = std::exchange(other.blocks_, {});
        rows_ = std::exchange(other.rows_, {});
        rowStart_ = std::exchange(other.rowStart_, 0);
        cellsInRow_ = std::exchange(other.cellsInRow_, 0);
        pos_ = std::exchange(other.pos_, 0);
        open_ = std::exchange(other.open_, false);
        lastField_ = std::exchange(other.lastField_, -1);
        changed();
        other.changed();
    }
    return *this;
}

Recordset Recordset::clone() const {
    Recordset c;
    c.columns_ = columns_;
    c.blocks_.reserve(blocks_.size());
    for (const Block &b : blocks_) {
        Block n;
        n.capacity = b.capacity;
        n.used = b.used;
        n.firstRow = b.firstRow;
        n.data.reset(static_cast<char *>(std::malloc(b.capacity ? b.capacity : 1)));
        if (!n.data)
            throw std::bad_alloc();
        if (b.used)
            std::memcpy(n.data.get(), b.data.get(), b.used);
        c.blocks_.push_back(std::move(n));
    }
    c.rows_ = rows_;
    c.rowStart_ = rowStart_;
    c.cellsInRow_ = cellsInRow_;
    c.pos_ = pos_;
    c.open_ = open_;
    c.changed();
    return c;
}

bool Recordset::isEOF() const {
    if (!open_)
        raiseClosed();
    return pos_ >= RecordCount();
}

bool Recordset::isBOF() const {
    if (!open_)
        raiseClosed();
    return rows_.empty() || pos_ < 0;
}

void Recordset::MoveFirst() {
    if (!open_)
        raiseClosed();
    pos_ = 0;
}

void Recordset::MoveNext() {
    if (!open_)
        raiseClosed();
    if (pos_ >= RecordCount())
        raiseNoRecord();
    ++pos_;
}

void Recordset::moveTo(qsizetype row) {
    if (!open_)
        raiseClosed();
    pos_ = std::clamp<qsizetype>(row, 0, RecordCount());
}

void Recordset::Close() {
    if (!open_)
        raiseClosed();
    *this = Recordset();
}

int Recordset::fieldIndex(const QString &column) const {
    const int n = int(columns_.size());
    // Forms read the fields of a row one after the other: try the column after the last first.
    const int hint = lastField_ + 1 < n ? lastField_ + 1 : 0;
    if (n > 0 && columns_[hint] == column)
        return lastField_ = hint;
    for (int i = 0; i < n; ++i)
        if (columns_[i] == column)
            return lastField_ = i;
    for (int i = 0; i < n; ++i)
        if (columns_[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Recordset::requireRow() const {
    if (!open_)
        raiseClosed();
    if (pos_ < 0 || pos_ >= RecordCount())
        raiseNoRecord();
}

void Recordset::requireColumn(int column) const {
    if (column < 0 || column >= columns_.size())
        raiseNoItem();
}

const Recordset::CellRef &Recordset::cellAt(qsizetype row, int column) const {
    if (!open_)
        raiseClosed();
    if (row < 0 || row >= RecordCount())
        raiseNoRecord();
    requireColumn(column);
    // A row's cells are found once, and only as far as the columns read: a sort reads one
    // column of every row.
    RowCache &found = rowCache();
    if (found.version != version_ || found.row != row) {
        const auto block =
            std::upper_bound(blocks_.begin(), blocks_.end(), row,
                             [](qsizetype r, const Block &b) { return r < b.firstRow; }) -
            1;
        found.next = block->data.get() + rows_[std::size_t(row)];
        found.cells.resize(std::size_t(columns_.size()));
        found.count = 0;
        found.row = row;
        found.version = version_;
    }
    while (found.count <= column) {
        CellRef &c = found.cells[std::size_t(found.count++)];
        const std::uint64_t header = getHeader(found.next);
        c.type = CellType(header & 7);
        c.size = std::size_t(header >> 3);
        c.data = found.next;
        found.next += c.size;
    }
    return found.cells[std::size_t(column)];
}

const Recordset::CellRef &Recordset::cell(int column) const {
    requireRow();
    return cellAt(pos_, column);
}

QVariant Recordset::value(const CellRef &c) {
    switch (c.type) {
    case CellType::Null:
        return QVariant();
    case CellType::Integer: {
        int64_t v;
        std::memcpy(&v, c.data, sizeof v);
        return QVariant(qlonglong(v));
    }
    case CellType::Real: {
        double v;
        std::memcpy(&v, c.data, sizeof v);
        return QVariant(v);
    }
    case CellType::Text:
        return QVariant(QString::fromUtf8(c.data, qsizetype(c.size)));
    case CellType::Blob:
        return QVariant(QByteArray(c.data, qsizetype(c.size)));
    }
    return QVariant();
}

QVariant Recordset::Fields(const QString &column) const {
    const int i = fieldIndex(column);
    if (i < 0) {
        requireRow();
        raiseNoItem();
    }
    return Fields(i);
}

QVariant Recordset::Fields(int column) const {
    return value(cell(column));
}

QVariant Recordset::valueAt(qsizetype row, int column) const {
    return value(cellAt(row, column));
}

QString Recordset::textAt(qsizetype row, int column) const {
    const CellRef &c = cellAt(row, column);
    if (c.type == CellType::Text)
        return QString::fromUtf8(c.data, qsizetype(c.size));
    if (c.type == CellType::Null)
        return QString();
    return value(c).toString();
}

bool Recordset::utf8At(qsizetype row, int column, QByteArrayView *bytes) const {
    const CellRef &c = cellAt(row, column);
    if (c.type != CellType::Text)
        return false;
    *bytes = QByteArrayView(c.data, qsizetype(c.size));
    return true;
}

bool Recordset::isNullAt(qsizetype row, int column) const {
    return cellAt(row, column).type == CellType::Null;
}

QString Recordset::text(int column) const {
    requireRow();
    return textAt(pos_, column);
}

void Recordset::appendTextTo(int column, QString &out) const {
    out += text(column);
}

bool Recordset::isNull(int column) const {
    return cell(column).type == CellType::Null;
}

void Recordset::setColumns(QStringList names) {
    columns_ = std::move(names);
    changed();
}

char *Recordset::room(std::size_t bytes) {
    if (!blocks_.empty()) {
        Block &last = blocks_.back();
        if (last.capacity - last.used >= bytes)
            return last.data.get() + last.used;
    }
    // The row being built moves whole into a new block. A row larger than a block gets a
    // block of its own size with room for the rest of the row, so that its later cells do
    // not move it again; the room is trimmed when the next block starts or the set is done.
    const std::size_t partial = blocks_.empty() ? 0 : blocks_.back().used - rowStart_;
    if (bytes > std::numeric_limits<std::size_t>::max() - partial - kBlockBytes)
        raiseOutOfMemory();
    Block next;
    next.capacity = partial + bytes <= kBlockBytes ? kBlockBytes : partial + bytes + kBlockBytes;
    next.data.reset(static_cast<char *>(std::malloc(next.capacity)));
    if (!next.data)
        throw std::bad_alloc();
    next.firstRow = RecordCount();
    if (partial > 0)
        std::memcpy(next.data.get(), blocks_.back().data.get() + rowStart_, partial);
    next.used = partial;
    if (!blocks_.empty()) {
        blocks_.back().used = rowStart_;
        if (rowStart_ == 0)
            blocks_.pop_back();
        else
            trimLastBlock();
    }
    blocks_.push_back(std::move(next));
    rowStart_ = 0;
    changed(); // the block before may have moved: cells found earlier are found again
    return blocks_.back().data.get() + partial;
}

void Recordset::trimLastBlock() {
    if (blocks_.empty())
        return;
    Block &last = blocks_.back();
    // A tail smaller than a page is left: cut off, it becomes a small free piece of the heap
    // between large blocks, where it keeps the heap from giving the blocks back.
    if (last.used == 0 || last.capacity - last.used < kPageBytes)
        return;
    // Rows are found by their offset in the block, so the block may move.
    if (auto *p = static_cast<char *>(std::realloc(last.data.get(), last.used))) {
        (void)last.data.release();
        last.data.reset(p);
        last.capacity = last.used;
    }
}

namespace {
// A cell's header: its byte count shifted past the three type bits.
std::uint64_t headerOf(Recordset::CellType type, std::size_t bytes) {
    return (std::uint64_t(bytes) << 3) | std::uint64_t(type);
}

// Writes a cell (header, then bytes) and returns where the next one starts. Written in place in
// the loops that call it: a call per cell is what writing rows whole saves.
[[gnu::always_inline]] inline char *writeCell(char *out, Recordset::CellType type, const void *data,
                                              std::size_t bytes) {
    out += putHeader(out, headerOf(type, bytes));
    copyCell(out, data, bytes);
    return out + bytes;
}
} // namespace

void Recordset::appendCell(CellType type, const void *data, std::size_t bytes) {
    if (tooLarge(bytes, 0))
        raiseOutOfMemory();
    if (cellsInRow_ == 0)
        rowStart_ = blocks_.empty() ? 0 : blocks_.back().used;
    char *out = room(kMaxHeader + bytes);
    blocks_.back().used += std::size_t(writeCell(out, type, data, bytes) - out);
    ++cellsInRow_;
}

void Recordset::appendRow(const CellIn *cells, int count) {
    if (cellsInRow_ != 0 || count != columns_.size())
        throw std::logic_error("record set row does not match its columns");
    // The row's exact size: blocks fill as far as when cells were added one by one.
    std::size_t need = 0;
    for (int i = 0; i < count; ++i) {
        if (tooLarge(cells[i].bytes, need))
            raiseOutOfMemory();
        need += headerSize(headerOf(cells[i].type, cells[i].bytes)) + cells[i].bytes;
    }
    rowStart_ = blocks_.empty() ? 0 : blocks_.back().used;
    char *const start = room(need);
    char *out = start;
    for (int i = 0; i < count; ++i)
        out = writeCell(out, cells[i].type, cells[i].data, cells[i].bytes);
    Block &last = blocks_.back();
    rowStart_ = std::size_t(start - last.data.get());
    last.used = rowStart_ + std::size_t(out - start);
    rows_.push_back(rowStart_);
}

void Recordset::appendInteger(int64_t v) {
    appendCell(CellType::Integer, &v, sizeof v);
}

void Recordset::appendReal(double v) {
    appendCell(CellType::Real, &v, sizeof v);
}

void Recordset::appendText(const char *utf8, qsizetype bytes) {
    appendCell(CellType::Text, utf8, bytes > 0 ? std::size_t(bytes) : 0);
}

void Recordset::appendBlob(const void *data, qsizetype bytes) {
    appendCell(CellType::Blob, data, bytes > 0 ? std::size_t(bytes) : 0);
}

void Recordset::appendNull() {
    appendCell(CellType::Null, nullptr, 0);
}

void Recordset::endRow() {
    // A row holds one cell per column; anything else would shift every later read.
    if (cellsInRow_ != columns_.size())
        throw std::logic_error("record set row does not match its columns");
    if (cellsInRow_ == 0)
        rowStart_ = blocks_.empty() ? 0 : blocks_.back().used;
    if (blocks_.empty())
        room(0);
    rows_.push_back(rowStart_);
    cellsInRow_ = 0;
}

void Recordset::finish() {
    changed();
    trimLastBlock();
    rows_.shrink_to_fit();
    open_ = true;
    pos_ = 0;
}

std::size_t Recordset::memoryUsed() const {
    std::size_t bytes =
        sizeof(*this) + rows_.capacity() * sizeof(std::size_t) + blocks_.capacity() * sizeof(Block);
    for (const Block &b : blocks_)
        bytes += b.capacity;
    return bytes;
}

} // namespace engine
