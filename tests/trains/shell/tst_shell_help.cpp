// The help window over the collection the build makes: contents, index and full-text search.
#include "tests/trains/support/ShellFixture.h"

#include "platform/Help.h"

#include <QHelpContentModel>
#include <QHelpEngine>
#include <QHelpIndexModel>
#include <QHelpSearchEngine>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace testing;

class TestHelp : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString collection;

  private slots:
    void initTestCase() {
        // A copy, so the search index the window builds lands in a temporary folder.
        copyProgramResources(dir.path());
        collection = dir.path() + "/help/quillon.qhc";
        QVERIFY(QFile::exists(collection));
        QVERIFY(QFile::exists(dir.path() + "/help/quillon.qch"));
    }

    void contentsIndexAndSearch() {
        platform::HelpWindow w(collection);
        w.show();
        QCOMPARE(w.windowTitle(), QString("Quillon Help"));
        QStringList tabs;
        for (int i = 0; i < w.panes()->count(); ++i)
            tabs << w.panes()->tabText(i);
        QCOMPARE(tabs, QStringList({"&Contents", "&Index", "&Search"}));
        QCOMPARE(w.browser()->documentTitle(), QString("Quillon Help"));

        QHelpContentModel *contents = w.engine()->contentModel();
        if (contents->rowCount() == 0)
            QVERIFY(QSignalSpy(contents, &QHelpContentModel::contentsCreated).wait(5000));
        QCOMPARE(contents->rowCount(), 1);
        const QModelIndex top = contents->index(0, 0);
        QCOMPARE(contents->data(top, Qt::DisplayRole).toString(), QString("Quillon Help"));
        QStringList topics;
        for (int i = 0; i < contents->rowCount(top); ++i)
            topics << contents->data(contents->index(i, 0, top), Qt::DisplayRole).toString();
        QCOMPARE(
            topics,
            QStringList({"Starting Quillon", "The Owner Profile", "Adding Items", "Editing Items",
                         "Deleting Items", "Reports", "Browsing the Collection", "Photos",
                         "Value Summary Report", "Arranging Windows", "Your Data and Backups",
                         "Backup, Restore, Export and Import", "Your Own Choices and Fields",
                         "The Item Card and Value History", "Deleted Items"}));
        // Every topic's page is in the collection and has text.
        for (int i = 0; i < contents->rowCount(top); ++i) {
            const QUrl page = contents->contentItemAt(contents->index(i, 0, top))->url();
            QVERIFY2(w.engine()->fileData(page).size() > 500, qPrintable(page.toString()));
        }

        QHelpIndexModel *index = w.engine()->indexModel();
        if (index->stringList().isEmpty())
            QVERIFY(QSignalSpy(index, &QHelpIndexModel::indexCreated).wait(5000));
        QVERIFY(index->stringList().contains("backup"));
        QVERIFY(index->stringList().contains("owner profile"));
        QVERIFY(index->stringList().contains("photos"));
        QVERIFY(index->stringList().contains("value summary"));

        QHelpSearchEngine *search = w.engine()->searchEngine();
        QTRY_VERIFY_WITH_TIMEOUT(w.searchIndexReady(), 20000);
        QSignalSpy found(search, &QHelpSearchEngine::searchingFinished);
        w.search("backup");
        QVERIFY(found.wait(10000));
        QVERIFY(found[0][0].toInt() >= 1);
        bool dataPage = false;
        for (const auto &r : search->searchResults(0, found[0][0].toInt()))
            dataPage |= r.url().fileName() == "data.html";
        QVERIFY(dataPage);

        w.showPage(QUrl("qthelp://com.orvanne.quillon/doc/data.html"));
        QVERIFY(w.browser()->toPlainText().contains("zerizori/rails.trk"));
    }
};

QTEST_MAIN(TestHelp)
#include "tst_shell_help.moc"
