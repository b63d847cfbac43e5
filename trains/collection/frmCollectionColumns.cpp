#include "trains/collection/frmCollectionColumns.h"

#include "trains/collection/CollectionModel.h"

#include <QHeaderView>
#include <QMenu>
#include <QSettings>

namespace collection {

namespace {

const QString kColumnsKey = QStringLiteral("Browse/Columns");

using M = CollectionModel;
// Wide enough for the usual texts; the default set fits a list 760 pixels wide.
constexpr int kWidths[M::colCount] = {95, 80,  105, 110, 110, 65, 60, 70,
                                      80, 110, 80,  80,  80,  80, 40};
constexpr M::Column kDefault[] = {M::colId,        M::colKind,   M::colManufacturer,
                                  M::colType,      M::colNumber, M::colGauge,
                                  M::colCondition, M::colCost,   M::colValue};

void remember(const QHeaderView *header) {
    QSettings().setValue(kColumnsKey, header->saveState());
}

} // namespace

void showDefaultColumns(QHeaderView *header) {
    for (int c = 0; c < M::colCount; ++c) {
        header->setSectionHidden(c, true);
        header->resizeSection(c, kWidths[c]);
    }
    int at = 0;
    for (const M::Column c : kDefault) {
        header->moveSection(header->visualIndex(c), at++);
        header->setSectionHidden(c, false);
    }
}

void setUpColumns(QHeaderView *header) {
    header->setSectionsMovable(true);
    header->setFirstSectionMovable(true);
    const QByteArray saved = QSettings().value(kColumnsKey).toByteArray();
    if (saved.isEmpty() || !header->restoreState(saved) ||
        header->hiddenSectionCount() >= M::colCount)
        showDefaultColumns(header);
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
    for (int visual = 0; visual < M::colCount; ++visual) {
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
