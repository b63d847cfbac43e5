#pragma once
// Filling a list view from the store's listing: which field of tblMain each column shows and
// how a stored value becomes the cell's text. Shared by the editing and deletion forms.
#include "rails/engine/Recordset.h"
#include "trains/lists/ItemList.h"

#include <QList>

struct ListField {
    ListColumn column;
    QString field; // column of tblMain
    CellFormat format = CellFormat::Text;
};

QList<ListColumn> listColumns(const QList<ListField> &fields);

// Lists one row per record, in the record set's order, every row listed even when some of its
// values are Null; the key of a row is its first column's text. The list takes the record
// set's rows over instead of copying them: `rs` is left closed and empty. A field the set does
// not hold raises an error before anything is listed.
void fillItemList(ItemListModel *model, engine::Recordset &rs, const QList<ListField> &fields);
