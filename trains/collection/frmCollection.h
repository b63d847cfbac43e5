#pragma once
// Browse Collection: every item of every kind in one list, found as you type, filtered by kind,
// condition, completeness and the collector's fields, sorted by any column, with the totals of
// what is shown, and a detail pane with the chosen item's fields, notes and photos. What is
// shown can be printed or exported as it stands.
#include "trains/collection/CollectionData.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;
class QTableView;

namespace platform {
class Error;
}

namespace collection {

class CollectionModel;

class frmCollection : public QWidget {
    Q_OBJECT
  public:
    explicit frmCollection(QWidget *parent = nullptr);

    CollectionModel *model() const { return model_; }
    QTableView *list() const { return lvCollection; }

    // Reads every item again, keeping the find, filters, sort and chosen item.
    void reload();
    // The row on show in the detail pane, or -1.
    int chosenRow() const;
    QString chosenItemId() const { return chosenItem_; }

    void cmdEdit_Click();
    void cmdOpenCard_Click();
    // The item `step` rows after (before, when negative) the one named among those shown;
    // empty when there is none.
    QString neighbourOf(const QString &itemId, int step) const;
    void cmdAddPhotos_Click();
    void cmdRemovePhoto_Click();
    void cmdViewPhoto_Click();
    // The inventory PDF of the items on show, in their order.
    void cmdPrintShown_Click();
    // The CSV export of the items on show, in their order.
    void cmdExportShown_Click();
    // Adds picture files to the chosen item; a file that cannot be used is named in a message
    // and the rest are still added. Returns how many were stored.
    int addPhotoFiles(const QStringList &paths);

    // Asks the user for picture files; tests replace it.
    using FileAsker = std::function<QStringList(QWidget *)>;
    static void setPhotoFileAsker(FileAsker asker);

    QLineEdit *txtFind = nullptr;
    QComboBox *cboKind = nullptr;
    QComboBox *cboCondition = nullptr;
    QCheckBox *chkIncomplete = nullptr; // only items lacking what the add forms require
    QComboBox *cboField = nullptr;      // a field of the collector's that must hold a value
    QLineEdit *txtFieldValue = nullptr; // ... containing this text (empty: any value)
    QTableView *lvCollection = nullptr;
    QLabel *lblTotals = nullptr;
    QTextBrowser *txtDetail = nullptr;
    QListWidget *lstPhotos = nullptr;
    QPushButton *cmdEdit = nullptr;
    QPushButton *cmdOpenCard = nullptr;
    QPushButton *cmdAddPhotos = nullptr;
    QPushButton *cmdRemovePhoto = nullptr;
    QPushButton *cmdViewPhoto = nullptr;
    QPushButton *cmdPrintShown = nullptr;
    QPushButton *cmdExportShown = nullptr;

  signals:
    // The user asked to edit the item in its kind's own edit form.
    void editRequested(ItemKind kind, const QString &itemId);
    // The user asked for the item's card (Open Card… or Ctrl+Enter).
    void cardRequested(const QString &itemId);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

  private:
    void buildControls();
    QWidget *buildPane();
    void connectControls();
    QLayout *buildFilters();
    void applyFilter();
    void fillFilterLists();
    void fillFieldFilter();
    QList<qint64> shownIds() const;
    void readRecords();
    static void showError(const QString &what, const platform::Error &e);
    void updateTotals();
    void showChosen();
    void showDetail(const QString &html);
    void showPhotos();
    void reloadSoon();

    CollectionData data_;
    CollectionModel *model_ = nullptr;
    QString chosenItem_;
    qint64 chosenId_ = 0;
    bool reloadPending_ = false;
    bool pastRead_ = false;   // the values of a year ago are read (only while their columns show)
    QWidget *area_ = nullptr; // the main window's client area, when shown inside it
};

} // namespace collection
