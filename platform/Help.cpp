#include "platform/Help.h"

#include <QApplication>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace platform {

namespace {
QString &helpFile() {
    static QString f;
    return f;
}
HelpHandler &handler() {
    static HelpHandler h;
    return h;
}
QPointer<HelpWindow> &openWindow() {
    static QPointer<HelpWindow> w;
    return w;
}
} // namespace

void setAppHelpFile(const QString &collectionFile) {
    helpFile() = collectionFile;
}
QString appHelpFile() {
    return helpFile();
}
void setHelpHandler(HelpHandler h) {
    handler() = std::move(h);
}

void ShowHelp(const QString &collectionFile) {
    if (handler()) {
        handler()(collectionFile);
        return;
    }
    HelpWindow *w = openWindow();
    if (!w || w->collectionFile() != collectionFile) {
        delete w;
        w = new HelpWindow(collectionFile);
        w->setAttribute(Qt::WA_DeleteOnClose);
        openWindow() = w;
    }
    w->show();
    w->raise();
    w->activateWindow();
}

HelpBrowser::HelpBrowser(QHelpEngine *engine, QWidget *parent)
    : QTextBrowser(parent), engine_(engine) {}

QVariant HelpBrowser::loadResource(int type, const QUrl &name) {
    if (name.scheme() == QLatin1String("qthelp"))
        return engine_->fileData(name);
    return QTextBrowser::loadResource(type, name);
}

HelpWindow::HelpWindow(const QString &collectionFile, QWidget *parent)
    : QMainWindow(parent), collection_(collectionFile) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Quillon Help"));
    engine_ = new QHelpEngine(collectionFile, this);
    engine_->setupData();

    browser_ = new HelpBrowser(engine_);
    browser_->setObjectName(QStringLiteral("helpPage"));
    browser_->setOpenExternalLinks(true);

    panes_ = new QTabWidget;
    panes_->setObjectName(QStringLiteral("helpPanes"));
    panes_->addTab(engine_->contentWidget(), tr("&Contents"));

    auto *index = new QWidget;
    auto *indexLayout = new QVBoxLayout(index);
    auto *lookFor = new QLabel(tr("&Look for:"));
    indexFilter_ = new QLineEdit;
    indexFilter_->setObjectName(QStringLiteral("indexFilter"));
    lookFor->setBuddy(indexFilter_);
    indexLayout->addWidget(lookFor);
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(engine_->indexWidget());
    panes_->addTab(index, tr("&Index"));

    auto *searchPane = new QWidget;
    auto *searchLayout = new QVBoxLayout(searchPane);
    searchLayout->addWidget(engine_->searchEngine()->queryWidget());
    searchLayout->addWidget(engine_->searchEngine()->resultWidget(), 1);
    panes_->addTab(searchPane, tr("&Search"));

    auto *split = new QSplitter;
    split->addWidget(panes_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({260, 560});
    setCentralWidget(split);
    resize(840, 600);

    connect(engine_->contentWidget(), &QHelpContentWidget::linkActivated, this,
            &HelpWindow::showPage);
    connect(engine_->indexWidget(), &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink &link, const QString &) { showPage(link.url); });
    connect(engine_->indexWidget(), &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink> &links, const QString &) {
                if (!links.isEmpty())
                    showPage(links.first().url);
            });
    connect(indexFilter_, &QLineEdit::textChanged, engine_->indexWidget(),
            [this](const QString &t) { engine_->indexWidget()->filterIndices(t); });
    connect(indexFilter_, &QLineEdit::returnPressed, engine_->indexWidget(),
            &QHelpIndexWidget::activateCurrentItem);
    connect(engine_->searchEngine()->queryWidget(), &QHelpSearchQueryWidget::search, this,
            [this] { this->search(engine_->searchEngine()->queryWidget()->searchInput()); });
    connect(engine_->searchEngine()->resultWidget(), &QHelpSearchResultWidget::requestShowLink,
            this, &HelpWindow::showPage);
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, this,
            [this] { engine_->contentWidget()->expandAll(); });

    // The full-text index is built once per collection and kept beside it.
    connect(engine_->searchEngine(), &QHelpSearchEngine::indexingFinished, this,
            [this] { indexReady_ = true; });
    engine_->searchEngine()->reindexDocumentation();

    const QStringList docs = engine_->registeredDocumentations();
    if (!docs.isEmpty())
        showPage(QUrl(QStringLiteral("qthelp://%1/doc/index.html").arg(docs.first())));
}

void HelpWindow::search(const QString &words) {
    engine_->searchEngine()->queryWidget()->setSearchInput(words);
    engine_->searchEngine()->search(words);
}

void HelpWindow::showPage(const QUrl &url) {
    browser_->setSource(url);
}

} // namespace platform
