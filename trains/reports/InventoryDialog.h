#pragma once
// Reports > Collection Inventory… and Browse's "Print What's Shown…": the choices (which kind,
// one item or two to a page, all photos or the first, the paper), then where to save the PDF;
// the PDF is made in the background and the user is told where it went.
#include "trains/reports/InventoryReport.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace reports {

class InventoryDialog : public QDialog {
    Q_OBJECT
  public:
    // `chooseKind` offers the kind list (the whole collection); without it the items are given.
    InventoryDialog(bool chooseKind, QWidget *parent = nullptr);

    // The choices on show, over `given` (its kind or rows).
    InventoryOptions options(InventoryOptions given) const;

    QComboBox *cboKind = nullptr; // null when the items are given
    QCheckBox *chkOnePerPage = nullptr;
    QRadioButton *optAllPhotos = nullptr;
    QRadioButton *optFirstPhoto = nullptr;
    QComboBox *cboPaper = nullptr;
};

// Shows the dialog; true when the user chose to go on. Tests answer without showing it.
using InventoryAsker = std::function<bool(InventoryDialog &)>;
void setInventoryAsker(InventoryAsker asker);

// The whole command: choices, file, background work, the closing message.
void printInventory(QWidget *parent, const InventoryOptions &given, bool chooseKind);

} // namespace reports
