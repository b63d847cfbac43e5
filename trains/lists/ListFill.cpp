#include "trains/lists/ListFill.h"

#include "platform/Error.h"

QList<ListColumn> listColumns(const QList<ListField> &fields) {
    QList<ListColumn> out;
    for (const ListField &f : fields)
        out << f.column;
    return out;
}

void fillItemList(ItemListModel *model, engine::Recordset &rs, const QList<ListField> &fields) {
    std::vector<CellSource> sources;
    sources.reserve(std::size_t(fields.size()));
    for (const ListField &f : fields) {
        sources.push_back({rs.fieldIndex(f.field), f.format});
        if (sources.back().field < 0)
            throw platform::Error(platform::ErrItemNotFound,
                                  QStringLiteral("Item cannot be found in the collection "
                                                 "corresponding to the requested name or "
                                                 "ordinal."));
    }
    const int keyField = sources.empty() ? 0 : sources.front().field;
    model->beginFill();
    try {
        model->setRecords(std::move(rs), std::move(sources), keyField);
    } catch (...) {
        model->endFill();
        throw;
    }
    model->endFill();
}
