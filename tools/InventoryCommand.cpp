#include "tools/InventoryCommand.h"

#include "rails/exchange/Collection.h"
#include "rails/exchange/ItemExchange.h"
#include "trains/reports/InventoryReport.h"

#include "platform/Error.h"

#include <QFileInfo>
#include <cstdio>

namespace {

int wrong(const QString &why) {
    std::fprintf(stderr, "railsdb: %s\nTry 'railsdb --help'.\n", qPrintable(why));
    return 2;
}

} // namespace

int inventoryCommand(const QStringList &args) {
    reports::InventoryOptions options;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--kind") {
            if (i + 1 >= args.size())
                return wrong(QStringLiteral("--kind needs cars, locos or sets"));
            const QString k = args[++i];
            const auto kind = exchange::kindFromText(k);
            if (!kind)
                return wrong(QStringLiteral("unknown kind '%1': use cars, locos or sets").arg(k));
            options.kind = *kind;
        } else if (a == u"--one-per-page") {
            options.onePerPage = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return wrong(QStringLiteral("unknown option '%1'").arg(a));
        } else {
            positional.append(a);
        }
    }
    if (positional.size() != 2)
        return wrong(QStringLiteral("inventory takes DB OUT.pdf"));
    const exchange::CollectionInfo info = exchange::checkCollection(positional[0]);
    if (!info.ok) {
        std::fprintf(stderr, "railsdb: %s\n", qPrintable(info.reason));
        return 1;
    }
    collection::CollectionData data(positional[0]);
    const qint64 n = reports::writeInventory(data, positional[1], options);
    std::printf("%s\n",
                qPrintable(QStringLiteral("%1 item(s) written to %2").arg(n).arg(positional[1])));
    return 0;
}
