#pragma once
// The deletion form shared by the three kinds: a list of every item of the kind, five
// read-only boxes showing the chosen row, and Delete, Clear and Exit. The form asks nothing
// itself before deleting: the store's delete operation asks its own question.
#include "trains/delete/DeleteKind.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

class DeleteForm : public QWidget {
    Q_OBJECT
  public:
    explicit DeleteForm(const DeleteKind &kind, QWidget *parent = nullptr);

    ItemListView *list() const { return lvList; }
    // The designed client area; the sub-window that shows the form takes its size from it.
    QSize sizeHint() const override;

    // Handlers, named as the form's events.
    void FillList();
    void lvList_Click(int row);
    void cmdDelete_Click();
    void cmdClear_Click();
    void cmdExit_Click();

  private:
    void Form_Load();
    void buildControls();
    // Delete is offered only while a row's item number is shown: an empty item number would
    // let the store "delete" nothing and report success.
    void updateDeleteEnabled();

    const DeleteKind &kind_;
    QLabel *Label1 = nullptr;
    ItemListView *lvList = nullptr;
    std::array<QLabel *, 5> lblCaption{};
    std::array<QLineEdit *, 5> txtBox{};
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdExit = nullptr;
};

// Fills a list from a listing record set: one row per record, in the record set's order, the
// cells formatted per column. A Null value or a missing column gives an empty cell; the row is
