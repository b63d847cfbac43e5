#pragma once
// Filling a list view from the store's listing: which field of tblMain each column shows and
// how a stored value becomes the cell's text. Shared by the editing and deletion forms.
#include "rails/engine/Recordset.h"
#include "trains/lists/ItemList.h"

#include <QList>

enum class CellFormat {
    Text,  // as stored; a Null is an empty cell
    Money, // "###,#0.#0"
    Date,  // the short date form
};

struct ListField {
    ListColumn column;
    QString field; // column of tblMain
    CellFormat format = CellFormat::Text;
};

// The money pattern of the list columns.
inline const QString kListMoneyPattern = QStringLiteral("###,#0.#0");

QList<ListColumn> listColumns(const QList<ListField>& fields);

// Adds one row per record, in the record set's order, every row listed even when some of its
// values are Null. An error ends the walk: the rows added so far stay listed and the error
// goes to the caller.
void fillItemList(ItemListModel* model, engine::Recordset& rs, const QList<ListField>& fields);
