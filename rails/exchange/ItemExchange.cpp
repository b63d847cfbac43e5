#include "rails/exchange/ItemExchange.h"

#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"

#include <QHash>
#include <array>

namespace exchange {

namespace detail {

namespace {

// The words collectors use for each kind, folded.
const std::array<const char *, 5> kKindWords{
    "rollingstock|car|cars|wagon|wagons|coach|coaches|freightcar|freightcars|passengercar|"
    "passengercars|caboose|wagen|guterwagen|personenwagen",
    "locomotive|locomotives|loco|locos|engine|engines|lok|loks|lokomotive|lokomotiven",
    "fullset|fullsets|set|sets|trainset|trainsets|startset|startersets|starterset|zugpackung",
    "track|tracks|gleis", "accessory|accessories|zubehor"};

} // namespace

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

using platform::Error;

std::optional<ItemKind> kindFromText(const QString &text) {
    static const QHash<QString, ItemKind> words = [] {
        QHash<QString, ItemKind> w;
        for (const ItemKind k : kAllKinds)
            for (const QString &word :
                 QString::fromLatin1(detail::kKindWords[std::size_t(k)]).split(QLatin1Char('|')))
                w.insert(word, k);
        return w;
    }();
    const auto it = words.constFind(foldText(text));
    return it == words.cend() ? std::nullopt : std::optional<ItemKind>(*it);
}

} // namespace exchange
