#pragma once
// The help window: contents, index and full-text search over a Qt Help collection.
#include <QMainWindow>
#include <QString>
#include <QTextBrowser>
#include <functional>

class QHelpEngine;
class QLineEdit;
class QTabWidget;

namespace platform {

// The application's help file, set at start-up and opened by the help command.
void setAppHelpFile(const QString &collectionFile);
QString appHelpFile();

// Shows the help window for the collection with its contents open; a window already open on
// the same collection is brought forward.
void ShowHelp(const QString &collectionFile);

// Tests install a handler that sees the collection instead of a window opening.
using HelpHandler = std::function<void(const QString &collectionFile)>;
void setHelpHandler(HelpHandler handler);

// A page view that reads its pages out of the help collection.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    HelpBrowser(QHelpEngine *engine, QWidget *parent = nullptr);
    QVariant loadResource(int type, const QUrl &name) override;

  private:
    QHelpEngine *engine_;
};

class HelpWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit HelpWindow(const QString &collectionFile, QWidget *parent = nullptr);
    QString collectionFile() const { return collection_; }
    QHelpEngine *engine() const { return engine_; }
    HelpBrowser *browser() const { return browser_; }
    QTabWidget *panes() const { return panes_; }
    // Runs a full-text search as the search pane does.
    void search(const QString &words);
    void showPage(const QUrl &url);
    // True once the full-text index has been built.
    bool searchIndexReady() const { return indexReady_; }

  private:
    QString collection_;
    QHelpEngine *engine_;
    HelpBrowser *browser_;
    QTabWidget *panes_;
    QLineEdit *indexFilter_;
    bool indexReady_ = false;
};

} // namespace platform
