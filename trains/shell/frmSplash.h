#pragma once
// The splash screen shown during start-up: product, maker, version and a picture, while its
// progress bar runs for several seconds.
#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;

class frmSplash : public QWidget {
    Q_OBJECT
  public:
    explicit frmSplash(QWidget *parent = nullptr);

    // Shows the splash and runs the progress bar to its end before returning.
    void Form_Load();

    QFrame *Frame1;
    QLabel *lblCompanyProduct;
    QLabel *lblProductName;
    QLabel *lblVersion;
    QLabel *lblCompany;
    QLabel *Image1;
    QLabel *Label2;
    QProgressBar *proBar;
    QLabel *Label1;

    static const QString kMakerWebAddress;

  private:
    void RunProgressBar();
};
