#pragma once
// The collection inventory an insurer or an heir asks for: a cover page with the owner, the
// date, the number of items, cost and value per kind and in all, and the basis of the values;
// then every item in its own block (two to a page, or one) with its fields, its notes and its
// photos, and "Page n of m" with the date at the foot of every page. Written as a PDF through
// a temporary file, so a failed or cancelled run leaves no half-written file behind.
#include "trains/collection/CollectionData.h"

#include <QList>
#include <QPageSize>
#include <QString>
#include <functional>
#include <optional>

namespace reports {

struct InventoryOptions {
    std::optional<ItemKind> kind; // every kind when empty
    QList<qint64> rowIds;         // only these items (in this order) when not empty
    bool onePerPage = false;      // else two items to a page
    bool allPhotos = true;        // else the first photo of each item
    QPageSize::PageSizeId paper = QPageSize::Custom; // Custom: the user's paper
};

// Told after each page: pages done and pages in all. Returning false cancels the run, which
// then raises platform::Error number exchange::ErrUserInterrupt.
using InventoryProgress = std::function<bool(int done, int total)>;

// Writes the inventory of the collection in `data` to `pdfPath`; returns the number of items.
// Raises platform::Error when the collection cannot be read or the file cannot be written
// (the target is then left as it was).
qint64 writeInventory(collection::CollectionData &data, const QString &pdfPath,
                      const InventoryOptions &options, const InventoryProgress &progress = {});

} // namespace reports
