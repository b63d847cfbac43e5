// The collection view's sort: natural for texts, numeric for amounts and the change, by day
// for dates; ties keep the stored order whatever the direction.
#include "trains/collection/CollectionFold.h"
#include "trains/collection/CollectionModel.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

namespace collection {

using detail::kSearched;
using detail::kSource;
using detail::naturalCompareFolded;

namespace {

// Amounts by value; an item without one comes first going up.
bool amountLess(double x, double y) {
    if (std::isnan(x) || std::isnan(y))
        return std::isnan(x) && !std::isnan(y);
    return x < y;
}

// Each row's key sits beside its row number in one array, so that sorting reads memory in
// order instead of jumping to the row data on every comparison.
template <class Key, class Less>
void sortBy(std::vector<int> &order, bool descending, Key key, Less less) {
    using K = decltype(key(0));
    const std::size_t n = order.size();
    std::vector<std::pair<K, int>> keyed(n);
    for (std::size_t r = 0; r < n; ++r)
        keyed[r] = {key(r), int(r)};
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
        return descending ? less(b.first, a.first) : less(a.first, b.first);
    });
    for (std::size_t i = 0; i < n; ++i)
        order[i] = keyed[i].second;
}

// Most columns repeat few texts (makers, gauges): each distinct text is ranked once, then the
// rows are placed by rank in one pass, keeping the stored order among equals.
void sortByRank(std::vector<int> &order, bool descending,
                const std::function<std::string_view(std::size_t)> &key) {
    const std::size_t n = order.size();
    std::unordered_map<std::string_view, int> distinctIndex;
    std::vector<std::string_view> distinct;
    std::vector<int> distinctOfRow(n);
    for (std::size_t r = 0; r < n; ++r) {
        const auto [it, fresh] = distinctIndex.try_emplace(key(r), int(distinct.size()));
        if (fresh)
            distinct.push_back(it->first);
        distinctOfRow[r] = it->second;
    }
    std::vector<int> byText(distinct.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(), [&](int a, int b) {
        return naturalCompareFolded(distinct[std::size_t(a)], distinct[std::size_t(b)]) < 0;
    });
    std::vector<int> rank(distinct.size());
    int ranks = 0;
    for (std::size_t i = 0; i < byText.size(); ++i) {
        if (i > 0 && naturalCompareFolded(distinct[std::size_t(byText[i - 1])],
                                          distinct[std::size_t(byText[i])]) != 0)
            ++ranks;
        rank[std::size_t(byText[i])] = ranks;
    }
    if (descending)
        for (int &k : rank)
            k = ranks - k;
    std::vector<std::size_t> start(std::size_t(ranks) + 2, 0);
    for (std::size_t r = 0; r < n; ++r)
        ++start[std::size_t(rank[std::size_t(distinctOfRow[r])]) + 1];
    for (std::size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    for (std::size_t r = 0; r < n; ++r)
        order[start[std::size_t(rank[std::size_t(distinctOfRow[r])])]++] = int(r);
}

} // namespace

void CollectionModel::sortByText(const std::function<std::string_view(std::size_t)> &key) {
    const bool descending = sortDirection_ == Qt::DescendingOrder;
    const std::size_t n = info_.size();
    // Item numbers are nearly all different: they are sorted as they stand.
    std::unordered_set<std::string_view> sample;
    const std::size_t step = std::max<std::size_t>(1, n / 512);
    for (std::size_t r = 0; r < n; r += step)
        sample.insert(key(r));
    if (sample.size() * 4 > n / step)
        sortBy(order_, descending, key, [](std::string_view x, std::string_view y) {
            return naturalCompareFolded(x, y) < 0;
        });
    else
        sortByRank(order_, descending, key);
}

void CollectionModel::sortOrder() {
    const int column = sortColumn_;
    const bool descending = sortDirection_ == Qt::DescendingOrder;
    if (info_.empty())
        return;
    if (column == colCost || column == colValue || column == colYearAgo || column == colChange) {
        sortBy(
            order_, descending,
            [&](std::size_t r) {
                return column == colCost     ? info_[r].cost
                       : column == colValue  ? info_[r].value
                       : column == colChange ? change(r)
                                             : yearAgo(r);
            },
            amountLess);
    } else if (column == colAcquired) {
        sortBy(
            order_, descending, [&](std::size_t r) { return info_[r].acquired; },
            [](qint64 x, qint64 y) { return x < y; });
    } else if (column == colKind) {
        sortBy(
            order_, descending, [&](std::size_t r) { return int(info_[r].kind); },
            [](int x, int y) { return x < y; });
    } else if (column < colCount && std::find(std::begin(kSearched), std::end(kSearched),
                                              kSource[column]) != std::end(kSearched)) {
        // Searched columns are already folded, in the find's text.
        sortByText([&](std::size_t r) { return searchedText(info_[r], column); });
    } else {
        // The others are folded once into one buffer, so the comparisons only read bytes.
        const std::size_t n = info_.size();
        QByteArray keys;
        std::vector<std::pair<quint32, quint32>> spans(n);
        detail::CellFolder folder(*rows_);
        const std::vector<QString> *own =
            column >= colCount ? &own_.at(std::size_t(column - colCount)) : nullptr;
        for (std::size_t r = 0; r < n; ++r) {
            const auto start = quint32(keys.size());
            if (!own)
                folder.append(keys, folder.bytes(qsizetype(r), kSource[column]));
            else if (!own->empty())
                keys += foldText((*own)[r]);
            spans[r] = {start, quint32(keys.size()) - start};
        }
        sortByText([&](std::size_t r) {
            return std::string_view(keys.constData() + spans[r].first, spans[r].second);
        });
    }
}

} // namespace collection
