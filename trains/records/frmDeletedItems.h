#pragma once
// Collection > Deleted Items…: the items deleted from the collection, kept with their photos,
// fields and value history until they are restored or removed for good. Nothing here counts
// in the collection's lists, totals or reports.
#include "rails/records/Records.h"

#include <QWidget>

class QPushButton;
class QStandardItemModel;
class QTreeView;

namespace records {

class frmDeletedItems : public QWidget {
    Q_OBJECT
  public:
    explicit frmDeletedItems(QWidget *parent = nullptr);

    // Reads the deleted items again.
    void reload();
    void cmdRestore_Click();
    void cmdRemove_Click();
    void cmdEmpty_Click();

    QTreeView *lvDeleted = nullptr;
    QPushButton *cmdRestore = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *cmdEmpty = nullptr;
    QPushButton *cmdClose = nullptr;

  signals:
    // An item came back to the collection (open lists may read it again).
    void restored(const QString &itemId);

  private:
    qint64 chosenDelId() const;
    QString chosenItemId() const;
    void updateButtons();

    Store store_;
    QStandardItemModel *model_ = nullptr;
};

// Removes items deleted more than 90 days ago; a failure goes to the error log only.
void RemoveOldDeletedItems();

} // namespace records
