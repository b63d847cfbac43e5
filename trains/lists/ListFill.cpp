#include "trains/lists/ListFill.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QHash>

namespace {

// Writes one stored value as the text of its cell, at the end of the row's text.
class CellWriter {
  public:
    void operator()(const engine::Recordset& rs, int field, CellFormat format, QString& out) {
        if (rs.isNull(field))
            return;
        switch (format) {
        case CellFormat::Text:
            rs.appendTextTo(field, out);
            return;
        case CellFormat::Money: {
            const QVariant v = rs.Fields(field);
            bool ok = false;
            const double amount = v.toDouble(&ok);
            out += ok ? platform::formatNumber(amount, kListMoneyPattern) : v.toString();
            return;
        }
        case CellFormat::Date: {
            // Collections hold many items bought on the same day; each stored text is
            // converted once per fill.
            stored_.resize(0);
            rs.appendTextTo(field, stored_);
            auto it = dates_.constFind(stored_);
            if (it == dates_.constEnd()) {
                const QDate d = platform::fromStorage(stored_).date();
                it = dates_.insert(stored_, d.isValid() ? platform::shortDate(d) : stored_);
            }
            out += *it;
            return;
        }
        }
    }

  private:
    QHash<QString, QString> dates_;
    QString stored_; // reused for every row's date
};

} // namespace

QList<ListColumn> listColumns(const QList<ListField>& fields) {
    QList<ListColumn> out;
    for (const ListField& f : fields)
        out << f.column;
    return out;
}

void fillItemList(ItemListModel* model, engine::Recordset& rs, const QList<ListField>& fields) {
    model->beginFill();
    try {
        QList<int> index;
        for (const ListField& f : fields) {
            index << rs.fieldIndex(f.field);
            if (index.last() < 0)
                throw platform::Error(platform::ErrItemNotFound,
                                      QStringLiteral("Item cannot be found in the collection "
                                                     "corresponding to the requested name or "
                                                     "ordinal."));
        }
        CellWriter write;
        // One buffer holds a row's cells one after the other; the list copies it.
        QString text;
        text.reserve(512);
        std::vector<int> ends(std::size_t(fields.size()));
        for (rs.MoveFirst(); !rs.isEOF(); rs.MoveNext()) {
            text.resize(0);
            for (int c = 0; c < fields.size(); ++c) {
                write(rs, index[c], fields[c].format, text);
                ends[std::size_t(c)] = int(text.size());
            }
            model->addRow(text.left(ends[0]), text, ends);
        }
    } catch (...) {
        model->endFill();
        throw;
    }
    model->endFill();
}
