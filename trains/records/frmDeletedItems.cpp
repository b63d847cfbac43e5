#include "trains/records/frmDeletedItems.h"

#include "trains/CollectionEvents.h"
#include "trains/modGlobal.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "rails/ErrorLog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace records {

namespace {
const QString kTitle = QStringLiteral("Deleted Items");

QString kindText(const QString &flag) {
    if (flag == QLatin1String("Car"))
        return QObject::tr("Rolling Stock");
    if (flag == QLatin1String("Loco"))
        return QObject::tr("Locomotive");
    if (flag == QLatin1String("FullSet"))
        return QObject::tr("Train Set");
    return flag;
}

void showFailure(const platform::Error &e) {
    platform::MsgBox(
        QObject::tr("The deleted items could not be changed: %1").arg(e.Description()) +
            platform::vbCrLf + platform::vbCrLf + QObject::tr("Nothing was changed."),
        platform::exclamation(), kTitle);
}
} // namespace

frmDeletedItems::frmDeletedItems(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmDeletedItems"));
    setWindowTitle(kTitle);
    model_ = new QStandardItemModel(this);
    model_->setHorizontalHeaderLabels({tr("Deleted"), tr("Item"), tr("Kind"), tr("Manufacturer"),
                                       tr("Type"), tr("Current Value")});
    lvDeleted = new QTreeView(this);
    lvDeleted->setObjectName(QStringLiteral("lvDeleted"));
    lvDeleted->setModel(model_);
    lvDeleted->setRootIsDecorated(false);
    lvDeleted->setUniformRowHeights(true);
    lvDeleted->setSelectionMode(QAbstractItemView::SingleSelection);
    lvDeleted->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvDeleted->setAccessibleName(tr("Deleted items"));
    cmdRestore = new QPushButton(tr("&Restore"), this);
    cmdRemove = new QPushButton(tr("Remove for &Good"), this);
    cmdEmpty = new QPushButton(tr("&Empty"), this);
    cmdClose = new QPushButton(tr("&Close"), this);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdRestore, cmdRemove, cmdEmpty})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvDeleted);
    layout->addLayout(buttons);
    connect(cmdRestore, &QPushButton::clicked, this, &frmDeletedItems::cmdRestore_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmDeletedItems::cmdRemove_Click);
    connect(cmdEmpty, &QPushButton::clicked, this, &frmDeletedItems::cmdEmpty_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->close();
    });
    connect(lvDeleted, &QTreeView::activated, this, &frmDeletedItems::cmdRestore_Click);
    reload();
    resize(640, 360);
}

void frmDeletedItems::reload() {
    model_->removeRows(0, model_->rowCount());
    platform::trap(
        [&] {
            auto rs = store_.deletedItems();
            for (; !rs->isEOF(); rs->MoveNext()) {
                const QDateTime at =
                    QDateTime::fromString(rs->text(1), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
                QList<QStandardItem *> row{
                    new QStandardItem(platform::shortDate(at.date()) + QLatin1Char(' ') +
                                      at.time().toString(QStringLiteral("HH:mm"))),
                    new QStandardItem(rs->text(2)),
                    new QStandardItem(kindText(rs->text(3))),
                    new QStandardItem(rs->text(4)),
                    new QStandardItem(rs->text(5)),
                    new QStandardItem(rs->isNull(6)
                                          ? QString()
                                          : platform::formatNumber(rs->Fields(6).toDouble(),
                                                                   QStringLiteral("##,##0.#0")))};
                row[0]->setData(rs->Fields(0).toLongLong(), Qt::UserRole);
                model_->appendRow(row);
            }
        },
        [](const platform::Error &e) { showFailure(e); });
    if (model_->rowCount() > 0)
        lvDeleted->setCurrentIndex(model_->index(0, 0));
    for (int c = 0; c < model_->columnCount(); ++c)
        lvDeleted->resizeColumnToContents(c);
    updateButtons();
}

void frmDeletedItems::updateButtons() {
    const bool any = model_->rowCount() > 0;
    cmdRestore->setEnabled(any);
    cmdRemove->setEnabled(any);
    cmdEmpty->setEnabled(any);
}

qint64 frmDeletedItems::chosenDelId() const {
    const QModelIndex i = lvDeleted->currentIndex();
    return i.isValid() ? model_->index(i.row(), 0).data(Qt::UserRole).toLongLong() : 0;
}

QString frmDeletedItems::chosenItemId() const {
    const QModelIndex i = lvDeleted->currentIndex();
    return i.isValid() ? model_->index(i.row(), 1).data().toString() : QString();
}

void frmDeletedItems::cmdRestore_Click() {
    const qint64 id = chosenDelId();
    const QString was = chosenItemId();
    if (id == 0)
        return;
    Restored r;
    const bool done = platform::trap([&] { r = store_.restoreDeleted(id); },
                                     [](const platform::Error &e) { showFailure(e); });
    reload();
    if (!done)
        return;
    const QString text =
        r.sameNumber ? tr("Item %1 is back in the collection with its own number.").arg(r.itemId)
                     : tr("Item %1 is back in the collection as %2: its old number now belongs to "
                          "another item.")
                           .arg(was, r.itemId);
    platform::MsgBox(
        text, {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1},
        kTitle);
    notifyCollectionChanged();
    emit restored(r.itemId);
}

void frmDeletedItems::cmdRemove_Click() {
    const qint64 id = chosenDelId();
    const QString item = chosenItemId();
    if (id == 0)
        return;
    if (platform::MsgBox(
            tr("Remove the deleted item %1 for good? It cannot be brought back.").arg(item),
            {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
             platform::MsgDefault::Button2},
            kTitle) != platform::MsgResult::Yes)
        return;
    platform::trap([&] { store_.removeDeleted(id); },
                   [](const platform::Error &e) { showFailure(e); });
    reload();
}

void frmDeletedItems::cmdEmpty_Click() {
    const int n = model_->rowCount();
    if (n == 0)
        return;
    if (platform::MsgBox(
            tr("Remove all %n deleted item(s) for good? They cannot be brought back.", nullptr, n),
            {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
             platform::MsgDefault::Button2},
            kTitle) != platform::MsgResult::Yes)
        return;
    platform::trap([&] { store_.emptyDeleted(); },
                   [](const platform::Error &e) { showFailure(e); });
    reload();
}

void RemoveOldDeletedItems() {
    platform::trap([] { Store().removeDeletedBefore(platform::now().addDays(-90)); },
                   [](const platform::Error &e) {
                       rails::writeErrorLog(ProgramFolder(),
                                            QStringLiteral("RemoveOldDeletedItems"), e,
                                            rails::LogEntryKind::Operation);
                   });
}

} // namespace records
