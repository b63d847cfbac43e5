#include "rails/engine/Recordset.h"

#include "platform/Error.h"

#include <cstring>

namespace engine {

using platform::Error;

namespace {
void raiseClosed() {
    throw Error(platform::ErrObjectClosed,
                QStringLiteral("Operation is not allowed when the object is closed."));
}
} // namespace

bool Recordset::isEOF() const {
    if (!open_)
        raiseClosed();
    return pos_ >= rows_;
}

bool Recordset::isBOF() const {
    if (!open_)
        raiseClosed();
    return rows_ == 0 || pos_ < 0;
}

void Recordset::MoveFirst() {
    if (!open_)
        raiseClosed();
    pos_ = 0;
}

void Recordset::MoveNext() {
    if (!open_)
        raiseClosed();
    if (pos_ >= rows_)
        throw Error(platform::ErrNoCurrentRecord,
                    QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                   "deleted. Requested operation requires a current record."));
    ++pos_;
}

void Recordset::moveTo(qsizetype row) {
    if (!open_)
        raiseClosed();
    pos_ = row < 0 ? 0 : (row > rows_ ? rows_ : row);
}

void Recordset::Close() {
    if (!open_)
        raiseClosed();
    open_ = false;
    cells_.clear();
    cells_.shrink_to_fit();
    data_.clear();
    data_.shrink_to_fit();
    rows_ = 0;
    pos_ = 0;
}

int Recordset::fieldIndex(const QString& column) const {
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
    if (pos_ < 0 || pos_ >= rows_)
        throw Error(platform::ErrNoCurrentRecord,
                    QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                   "deleted. Requested operation requires a current record."));
}

const Recordset::Cell& Recordset::cell(int column) const {
    requireRow();
    if (column < 0 || column >= columns_.size())
        throw Error(platform::ErrItemNotFound,
                    QStringLiteral("Item cannot be found in the collection corresponding to the "
                                   "requested name or ordinal."));
    return cells_[std::size_t(pos_) * std::size_t(columns_.size()) + std::size_t(column)];
}

QVariant Recordset::Fields(const QString& column) const {
    const int i = fieldIndex(column);
    if (i < 0) {
        requireRow();
        throw Error(platform::ErrItemNotFound,
                    QStringLiteral("Item cannot be found in the collection corresponding to the "
                                   "requested name or ordinal."));
    }
    return Fields(i);
}

QVariant Recordset::Fields(int column) const {
    const Cell& c = cell(column);
    const char* p = data_.data() + c.offset;
    switch (CellType(c.type)) {
    case CellType::Null: return QVariant();
    case CellType::Integer: {
        int64_t v;
        std::memcpy(&v, p, sizeof v);
        return QVariant(qlonglong(v));
    }
    case CellType::Real: {
        double v;
        std::memcpy(&v, p, sizeof v);
        return QVariant(v);
    }
    case CellType::Text: return QVariant(QString::fromUtf8(p, c.size));
    case CellType::Blob: return QVariant(QByteArray(p, c.size));
    }
    return QVariant();
}

QString Recordset::text(int column) const {
    const Cell& c = cell(column);
    if (CellType(c.type) == CellType::Text)
        return QString::fromUtf8(data_.data() + c.offset, c.size);
    if (CellType(c.type) == CellType::Null)
        return QString();
    return Fields(column).toString();
}

bool Recordset::isNull(int column) const { return CellType(cell(column).type) == CellType::Null; }

void Recordset::setColumns(QStringList names) { columns_ = std::move(names); }

namespace {
template <typename T> uint32_t push(std::vector<char>& data, const T& v) {
    const auto offset = uint32_t(data.size());
    const char* p = reinterpret_cast<const char*>(&v);
    data.insert(data.end(), p, p + sizeof v);
    return offset;
}
} // namespace

void Recordset::appendInteger(int64_t v) {
    cells_.push_back({push(data_, v), sizeof v, uint32_t(CellType::Integer)});
}

void Recordset::appendReal(double v) {
    cells_.push_back({push(data_, v), sizeof v, uint32_t(CellType::Real)});
}

void Recordset::appendText(const char* utf8, int bytes) {
    const auto offset = uint32_t(data_.size());
    if (bytes > 0)
        data_.insert(data_.end(), utf8, utf8 + bytes);
    cells_.push_back({offset, uint32_t(bytes), uint32_t(CellType::Text)});
}

void Recordset::appendBlob(const void* data, int bytes) {
    const auto offset = uint32_t(data_.size());
    const char* p = static_cast<const char*>(data);
    if (bytes > 0)
        data_.insert(data_.end(), p, p + bytes);
    cells_.push_back({offset, uint32_t(bytes), uint32_t(CellType::Blob)});
}

void Recordset::appendNull() { cells_.push_back({uint32_t(data_.size()), 0, uint32_t(CellType::Null)}); }

void Recordset::endRow() { ++rows_; }

void Recordset::finish() {
    open_ = true;
    pos_ = 0;
}

std::size_t Recordset::memoryUsed() const {
    return cells_.capacity() * sizeof(Cell) + data_.capacity() + sizeof(*this);
}

} // namespace engine
