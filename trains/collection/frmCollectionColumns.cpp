#include "trains/collection/frmCollectionColumns.h"

#include "trains/collection/CollectionModel.h"

#include <QHeaderView>
#include <QMenu>
#include <QSettings>

namespace collection {

namespace {

// "key=width" of each column on show, in the order shown.
const QString kColumnsKey = QStringLiteral("Browse/ColumnList");
const char *const kAppliedKeys = "quillonAppliedKeys";

using M = CollectionModel;
// Wide enough for the usual texts; the default set fits a list 760 pixels wide.
constexpr int kWidths[M::colCount] = {95,  80, 105, 110, 110, 65, 60, 70, 80,
                                      110, 80, 80,  80,  80,  40, 95, 80};
constexpr int kFieldWidth = 110;
constexpr M::Column kDefault[] = {M::colId,        M::colKind,   M::colManufacturer,
                                  M::colType,      M::colNumber, M::colGauge,
                                  M::colCondition, M::colCost,   M::colValue};

bool applying = false; // restoring a choice is no choice of the user's to remember

const M *modelOf(const QHeaderView *header) {
    return qobject_cast<const M *>(header->model());
}

QStringList keysOf(const QHeaderView *header) {
    QStringList keys;
    for (int c = 0; c < header->count(); ++c)
        keys << modelOf(header)->columnKey(c);
    return keys;
}

void remember(const QHeaderView *header) {
    if (applying || !modelOf(header))
        return;
    QStringList shown;
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (!header->isSectionHidden(c))
            shown << modelOf(header)->columnKey(c) + QLatin1Char('=') +
                         QString::number(header->sectionSize(c));
    }
    QSettings().setValue(kColumnsKey, shown);
}

int defaultWidth(int column) {
    return column < M::colCount ? kWidths[column] : kFieldWidth;
}

// Shows the remembered columns in their order; false when nothing remembered is there.
bool restore(QHeaderView *header) {
    const QStringList saved = QSettings().value(kColumnsKey).toStringList();
    const QStringList keys = keysOf(header);
    int at = 0;
    for (const QString &entry : saved) {
        const int c = int(keys.indexOf(entry.section(QLatin1Char('='), 0, 0)));
        if (c < 0)
            continue;
        if (at == 0)
            for (int other = 0; other < header->count(); ++other)
                header->setSectionHidden(other, true);
        const int width = entry.section(QLatin1Char('='), 1).toInt();
        header->moveSection(header->visualIndex(c), at++);
        header->setSectionHidden(c, false);
        header->resizeSection(c, width > 0 ? width : defaultWidth(c));
    }
    return at > 0;
}

} // namespace

void showDefaultColumns(QHeaderView *header) {
    for (int c = 0; c < header->count(); ++c) {
        header->setSectionHidden(c, true);
        header->resizeSection(c, defaultWidth(c));
    }
    int at = 0;
    for (const M::Column c : kDefault) {
        header->moveSection(header->visualIndex(c), at++);
        header->setSectionHidden(c, false);
    }
}

void applyColumns(QHeaderView *header) {
    if (!modelOf(header))
        return;
    const QStringList keys = keysOf(header);
    if (header->property(kAppliedKeys).toStringList() == keys)
        return;
    applying = true;
    if (!restore(header))
        showDefaultColumns(header);
    applying = false;
    header->setProperty(kAppliedKeys, keys);
}

void setUpColumns(QHeaderView *header) {
    header->setSectionsMovable(true);
    header->setFirstSectionMovable(true);
    applyColumns(header);
    QObject::connect(header, &QHeaderView::sectionMoved, header, [header] { remember(header); });
    QObject::connect(header, &QHeaderView::sectionResized, header, [header] { remember(header); });
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(header, &QWidget::customContextMenuRequested, header,
                     [header](const QPoint &at) {
                         QMenu *menu = columnMenu(header, header);
                         menu->setAttribute(Qt::WA_DeleteOnClose);
                         menu->popup(header->mapToGlobal(at));
                     });
}

QMenu *columnMenu(QHeaderView *header, QWidget *parent) {
    auto *menu = new QMenu(QObject::tr("Columns"), parent);
    const QAbstractItemModel *model = header->model();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int c = header->logicalIndex(visual);
        QAction *a = menu->addAction(model->headerData(c, Qt::Horizontal).toString());
        a->setCheckable(true);
        a->setChecked(!header->isSectionHidden(c));
        QObject::connect(a, &QAction::toggled, header, [header, c](bool on) {
            // The last column on show stays: a list without columns cannot be put back.
            if (!on && header->count() - header->hiddenSectionCount() <= 1)
                return;
            header->setSectionHidden(c, !on);
            remember(header);
        });
    }
    menu->addSeparator();
    QObject::connect(menu->addAction(QObject::tr("&Default Columns")), &QAction::triggered, header,
                     [header] {
                         showDefaultColumns(header);
                         remember(header);
                     });
    return menu;
}

} // namespace collection
