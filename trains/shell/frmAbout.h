#pragma once
// The About box: product name, version, the About text, and a button that starts the
// system information program.
#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;
class QTextEdit;

class frmAbout : public QDialog {
    Q_OBJECT
  public:
    explicit frmAbout(QWidget *parent = nullptr);

    void StartSysInfo();
    // Reads a registry value into `value`; true when it was read. Text values become the text,
    // double-word values their number; other types leave `value` as it was.
    bool GetKeyValue(std::uint32_t &root, const QString &keyName, const QString &subKeyRef,
                     QString &value);

    QLabel *lblTitle;
    QLabel *lblVersion;
    QTextEdit *rtBox;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;

  private:
    void Form_Load();
};
