#include "rails/exchange/ItemExchange.h"

#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"

#include <QHash>
#include <array>

namespace exchange {

namespace detail {

namespace {

const std::array<KindRow, 5> kKinds{{
    {ItemKind::Car, "Rolling Stock", "Car", "CL-", "CarNumber"},
    {ItemKind::Loco, "Locomotive", "Loco", "LL-", "CarNumber"},
    {ItemKind::Set, "Full Set", "FullSet", "SL-", "SetNumber"},
    {ItemKind::Track, "Track", "Track", nullptr, "CarNumber"},
    {ItemKind::Accessory, "Accessory", "Accessory", nullptr, "CarNumber"},
}};

// The words collectors use for each kind, folded.
const std::array<const char *, 5> kKindWords{
    "rollingstock|car|cars|wagon|wagons|coach|coaches|freightcar|freightcars|passengercar|"
    "passengercars|caboose|wagen|guterwagen|personenwagen",
    "locomotive|locomotives|loco|locos|engine|engines|lok|loks|lokomotive|lokomotiven",
    "fullset|fullsets|set|sets|trainset|trainsets|startset|startersets|starterset|zugpackung",
    "track|tracks|gleis", "accessory|accessories|zubehor"};

} // namespace

const std::array<KindRow, 5> &kinds() {
    return kKinds;
}

const KindRow &kindRow(ItemKind k) {
    return kKinds[std::size_t(k)];
}

engine::Connection &openConnection(engine::Connection &c, const QString &db) {
    if (db.contains(QLatin1Char(';')))
        throw platform::Error(
            platform::ErrPathFileAccess,
            QStringLiteral("The collection's path may not contain a semicolon: %1").arg(db));
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(db);
    c.Open();
    return c;
}

} // namespace detail

using detail::KindRow;
using detail::kindRow;
using platform::Error;

std::optional<ItemKind> kindFromText(const QString &text) {
    static const QHash<QString, ItemKind> words = [] {
        QHash<QString, ItemKind> w;
        for (std::size_t k = 0; k < detail::kKinds.size(); ++k)
            for (const QString &word :
                 QString::fromLatin1(detail::kKindWords[k]).split(QLatin1Char('|')))
                w.insert(word, detail::kKinds[k].kind);
        return w;
    }();
    const auto it = words.constFind(foldText(text));
    return it == words.cend() ? std::nullopt : std::optional<ItemKind>(*it);
}

QString kindName(ItemKind kind) {
    return QLatin1String(kindRow(kind).name);
}

} // namespace exchange
