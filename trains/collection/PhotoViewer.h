#pragma once
// A larger look at an item's photos, one at a time, with Previous and Next and the photo's
// caption, which can be changed here.
#include <QDialog>
#include <QList>

#include "trains/collection/CollectionData.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace collection {

class PhotoViewer : public QDialog {
    Q_OBJECT
  public:
    PhotoViewer(CollectionData &data, const QString &itemId, int first, QWidget *parent = nullptr);

    void showPhoto(int index);
    int current() const { return current_; }

    QLabel *lblImage = nullptr;
    QLabel *lblPosition = nullptr;
    QLineEdit *txtCaption = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    void saveCaption();
    void fit();

    CollectionData &data_;
    QString itemId_;
    QList<PhotoInfo> photos_;
    QPixmap image_;
    int current_ = -1;
};

} // namespace collection
