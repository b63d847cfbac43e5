// The Collection menu's backup, restore, export and import commands as a collector uses them:
// the file asked for, the messages shown, the windows closed and what the collection holds.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellDoubles.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/collection/AutoBackup.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/CsvImportDialog.h"
#include "trains/collection/ExportDialog.h"
#include "trains/collection/FileChooser.h"
#include "trains/modGlobal.h"
#include "trains/shell/frmMain.h"

#include "rails/exchange/Collection.h"
#include "rails/records/Records.h"
#include "tests/trains/collection/CollectionKit.h"

#include "platform/Clock.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

using namespace testing;
using platform::MsgIcon;

class TestCollectionExchange : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    std::unique_ptr<FakeClock> clock;
    frmMain *main = nullptr;
    QStringList asked; // titles of the file requests
    QString answer;    // the path the file chooser gives

    void trigger(const char *name) {
        auto *a = main->findChild<QAction *>(QLatin1String(name));
        QVERIFY2(a, name);
        a->trigger();
    }
    QString write(const QString &name, const QByteArray &bytes) {
        QFile f(pf->path() + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }
    void expectBox(const QString &title, MsgIcon icon, const QString &text) {
        QVERIFY(!boxes->boxes().isEmpty());
        const platform::MsgRequest &b = boxes->boxes().last();
        QCOMPARE(b.title, title);
        QCOMPARE(b.icon, icon);
        QVERIFY2(b.prompt.contains(text), qPrintable(b.prompt));
    }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        // Remembered choices (import mappings, export fields) start afresh in each test.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        clock = std::make_unique<FakeClock>();
        asked.clear();
        collection::setFileChooser([this](const collection::FileRequest &r) {
            asked << r.title + (r.save ? " (save)" : " (open)");
            return answer;
        });
        pf->exec("INSERT INTO tblMain (ItemID, Manufacturer, Car, Loco, FullSet) VALUES "
                 "('CL-1','Lionel','YES','NO','NO'),('LL-2','Atlas','NO','YES','NO')");
        main = new frmMain;
        main->Form_Load();
        main->show();
    }
    void cleanup() {
        QCOMPARE(boxes->unexpected(), 0);
        collection::setFileChooser({});
        resetProgramState();
        clock.reset();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
    }

    void collectionMenuHoldsTheFourCommands() {
        auto *menu = main->findChild<QMenu *>("mnuCollection");
        QVERIFY(menu);
        QStringList entries;
        // Below the browse, summary, inventory and currency commands.
        for (QAction *a : menu->actions().mid(4, 5))
            entries << (a->isSeparator() ? QString("-") : a->objectName() + " " + a->text());
        QCOMPARE(entries, QStringList({"-", "mnuCollectionBackup Back &Up Collection…",
                                       "mnuCollectionRestore &Restore From Backup…",
                                       "mnuCollectionExport &Export to CSV…",
                                       "mnuCollectionImport I&mport from CSV…"}));
    }

    void backUpWritesAVerifiedCopy() {
        answer = pf->path() + "/copy.trk";
        boxes->answer(platform::MsgResult::OK);
        trigger("mnuCollectionBackup");
        QCOMPARE(asked, QStringList{"Back Up Collection (save)"});
        expectBox("Back Up Collection", MsgIcon::None,
                  "The backup holds 2 items and passed its integrity check.");
        QCOMPARE(exchange::checkCollection(answer).items, qint64(2));

        answer = pf->path() + "/no/such/folder/copy.trk";
        boxes->answer(platform::MsgResult::OK);
        trigger("mnuCollectionBackup");
        expectBox("Back Up Collection", MsgIcon::Critical, "Nothing was changed.");
        answer.clear(); // cancelled: nothing happens
        boxes->clear();
        trigger("mnuCollectionBackup");
        QCOMPARE(boxes->boxes().size(), 0);
    }

    void restoreAsksClosesWindowsAndReplaces() {
        testing::ProgramFolder other;
        other.exec("INSERT INTO tblMain (ItemID) VALUES ('SL-9')");
        SetProgramFolder(pf->path()); // the second folder pointed the store at itself
        {
            QFile f(other.databasePath());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime(QDate(2026, 11, 30), QTime(12, 0)),
                                  QFileDevice::FileModificationTime));
        }
        answer = other.databasePath();
        main->mnuAddNewCar_Click();
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);

        boxes->answer(platform::MsgResult::No);
        trigger("mnuCollectionRestore");
        QCOMPARE(boxes->boxes().first().prompt.section("\r\n", 0, 0),
                 QString("Replace the current collection (2 items) with the backup of 30 Nov 2026 "
                         "(1 item)?"));
        QCOMPARE(boxes->boxes().first().icon, MsgIcon::Question);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);

        boxes->clear();
        boxes->answer(platform::MsgResult::Yes);
        boxes->answer(platform::MsgResult::OK);
        trigger("mnuCollectionRestore");
        expectBox("Restore From Backup", MsgIcon::None, "it holds 1 item.");
        QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
        QCOMPARE(pf->scalar("SELECT group_concat(ItemID) FROM tblMain").toString(),
                 QString("SL-9"));
        QCOMPARE(exchange::checkCollection(collection::newestAutomaticBackup()).items, qint64(2));

        boxes->clear();
        answer = write("notes.trk", "not a collection");
        boxes->answer(platform::MsgResult::OK);
        trigger("mnuCollectionRestore");
        QCOMPARE(boxes->boxes().size(), 1);
        expectBox("Restore From Backup", MsgIcon::Critical, "is not a Quillon collection");
        QCOMPARE(pf->scalar("SELECT group_concat(ItemID) FROM tblMain").toString(),
                 QString("SL-9"));
    }

    void exportWritesTheChosenKind() {
        answer = pf->path() + "/locos.csv";
        trigger("mnuCollectionExport");
        auto *dialog = main->findChild<collection::ExportDialog *>();
        QVERIFY(dialog);
        dialog->cboKind->setFocus();
        QTest::keyClick(dialog->cboKind, Qt::Key_Down);
        QTest::keyClick(dialog->cboKind, Qt::Key_Down);
        QCOMPARE(dialog->cboKind->currentText(), QString("Locomotives"));
        boxes->answer(platform::MsgResult::OK);
        QTest::mouseClick(dialog->findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
        expectBox("Export to CSV", MsgIcon::None, "1 item written to");
        QFile f(answer);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // header, one item, the final line break
        QVERIFY(lines[1].startsWith("Locomotive,LL-2,Atlas,"));
    }

    // What Browse shows, with the fields chosen; the choice is kept for the next export.
    void exportWhatIsShownWritesThoseItemsAndFields() {
        answer = pf->path() + "/shown.csv";
        collection::exportWhatIsShown(main, {2});
        auto *dialog = main->findChild<collection::ExportDialog *>();
        QVERIFY(dialog);
        dialog->lstFields->setFocus();
        for (const int row : {1, 15}) { // Item ID and Notes left out
            dialog->lstFields->setCurrentRow(row);
            QTest::keyClick(dialog->lstFields, Qt::Key_Space);
        }
        boxes->answer(platform::MsgResult::OK);
        QTest::mouseClick(dialog->findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
        expectBox("Export to CSV", MsgIcon::None, "1 item written to");
        QFile f(answer);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(",Box Included\r"));
        QVERIFY(!lines[0].contains("Item ID"));
        QVERIFY(lines[1].startsWith("Locomotive,Atlas,"));
        trigger("mnuCollectionExport");
        auto *next = main->findChildren<collection::ExportDialog *>().last();
        QCOMPARE(next->lstFields->item(1)->checkState(), Qt::Unchecked);
        QCOMPARE(next->lstFields->item(2)->checkState(), Qt::Checked);
        next->close();
    }

    void importPreviewsThenWritesTheReadyRows() {
        answer = write("in.csv", "Make,Type,Road No.,Purchased,Price paid,Shelf,Boxed\n"
                                 "Lionel,Steam,1,14.03.19,\"1.234,50\",B3,ja\n"
                                 "Lionel,Steam,2,14.03.2027,\"12,50\",B4,ja\n");
        trigger("mnuCollectionImport");
        auto *dialog = main->findChild<collection::CsvImportDialog *>();
        QVERIFY(dialog);
        QCOMPARE(boxes->boxes().size(), 0);
        QVERIFY2(dialog->lblSummary->text().startsWith("1 item(s) to import (1 incomplete"),
                 qPrintable(dialog->lblSummary->text()));
        QCOMPARE(dialog->tblProblems->item(1, 0)->text(), QString("3"));
        QVERIFY(dialog->tblProblems->item(1, 4)->text().contains(
            "2027-03-14 is later than the current date"));
        QCOMPARE(dialog->cboDecimal->currentIndex(), 1); // comma, as the amounts show
        // The shelf column is appended to the notes until the user says otherwise.
        auto *shelf = dialog->tblMapping->findChild<QComboBox *>("cboColumn_5");
        QCOMPARE(shelf->currentText(), QString("Append to Notes"));
        shelf->setFocus();
        QTest::keyClicks(shelf, "Ign");
        QCOMPARE(dialog->plan().ignoredColumns, QStringList("Shelf"));
        dialog->cboKind->setFocus();
        QTest::keyClick(dialog->cboKind, Qt::Key_Down);
        QCOMPARE(dialog->cboKind->currentText(), QString("Locomotives"));
        boxes->answer(platform::MsgResult::No);
        QTest::mouseClick(dialog->cmdImport, Qt::LeftButton);
        expectBox("Import from CSV", MsgIcon::Question, "Import 1 items and skip 1 rows?");
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
        boxes->answer(platform::MsgResult::Yes);
        boxes->answer(platform::MsgResult::OK);
        QTest::mouseClick(dialog->cmdImport, Qt::LeftButton);
        expectBox("Import from CSV", MsgIcon::None, "1 item(s) imported.");
        QCOMPARE(pf->query("SELECT ItemID, Loco, OriginalCost, DateAccquired, Box, Notes FROM "
                           "tblMain WHERE ID = 3"),
                 QList<QVariantList>({{"LL-3", "YES", 1234.5, "2019-03-14", "YES", ""}}));
        // The same headers next time: the choice comes back, and the row now counts as there.
        boxes->clear();
        trigger("mnuCollectionImport");
        auto *again = main->findChildren<collection::CsvImportDialog *>().last();
        QCOMPARE(again->tblMapping->findChild<QComboBox *>("cboColumn_5")->currentText(),
                 QString("Ignore"));
        QCOMPARE(again->plan().duplicates, 0); // a car is no repeat of a locomotive
        again->cboKind->setCurrentIndex(1);
        QCOMPARE(again->plan().duplicates, 1);
        again->close();

        boxes->clear();
        answer = write("photo.csv", QByteArray("\x89PNG\r\n\x1A\n\0\0", 10));
        boxes->answer(platform::MsgResult::OK);
        trigger("mnuCollectionImport");
        expectBox("Import from CSV", MsgIcon::Critical, "The file is not a text file.");
        for (auto *d : main->findChildren<collection::CsvImportDialog *>())
            QVERIFY(!d->isVisible()); // the first closed after its import; no new one opened
    }

    // A column headed like a field of the collector's goes to it (the drop-down offers the
    // fields); values no list holds are offered for the lists in one question, per list, and
    // once added they are no new choices in the next import.
    void importFillsFieldsAndOffersNewChoices() {
        collectionkit::addRecordTables(*pf);
        answer = write("zeuke.csv", "Kind,Manufacturer,Type,Number,Gauge,Storage Location\n"
                                    "Rolling Stock,Zeuke,Kühlwagen,1,TT Gauge,Shelf 1\n"
                                    "Rolling Stock,zeuke,Box Car,2,TT Gauge,\n"
                                    "Locomotive,Zeuke,Dampflok,3,TT Gauge,Shelf 2\n");
        trigger("mnuCollectionImport");
        auto *dialog = main->findChildren<collection::CsvImportDialog *>().last();
        auto *storage = dialog->tblMapping->findChild<QComboBox *>("cboColumn_5");
        QCOMPARE(storage->currentText(), QString("Storage Location"));
        QVERIFY(storage->findText("Catalogue No.") >= 0);
        QCOMPARE(dialog->plan().newChoiceEntries.value("Manufacturer"), QStringList({"Zeuke"}));
        boxes->answer(platform::MsgResult::OK);
        boxes->answer(platform::MsgResult::Yes);
        QTest::mouseClick(dialog->cmdImport, Qt::LeftButton);
        QCOMPARE(boxes->boxes().size(), 2);
        expectBox("Import from CSV", MsgIcon::Question, "Manufacturers: 1");
        const QString asked = boxes->boxes().last().prompt;
        for (const char *line :
             {"Car Types: 1", "Locomotive Types (locomotives and train sets): 1", "Gauges: 1"})
            QVERIFY2(asked.contains(line), qPrintable(asked));
        QCOMPARE(pf->query("SELECT List, Entry FROM tblChoice ORDER BY List"),
                 QList<QVariantList>({{"CarType", QString::fromUtf8("Kühlwagen")},
                                      {"Gauge", "TT Gauge"},
                                      {"LocoType", "Dampflok"},
                                      {"Manufacturer", "Zeuke"}}));
        QCOMPARE(pf->query("SELECT ItemID, Value FROM tblFieldValue ORDER BY ItemID"),
                 QList<QVariantList>({{"CL-3", "Shelf 1"}, {"LL-5", "Shelf 2"}}));

        boxes->clear();
        trigger("mnuCollectionImport");
        auto *again = main->findChildren<collection::CsvImportDialog *>().last();
        QCOMPARE(again->plan().newChoices, 0);
        again->close();
    }

    void automaticBackupAtMostDaily() {
        QVERIFY(collection::newestAutomaticBackup().isEmpty());
        collection::startAutomaticBackup();
        collection::waitForAutomaticBackup();
        const QString first = collection::newestAutomaticBackup();
        QVERIFY(exchange::checkCollection(first).ok);
        clock->advance(23 * 3600);
        collection::startAutomaticBackup();
        collection::waitForAutomaticBackup();
        QCOMPARE(QDir(exchange::automaticBackupFolder(collection::collectionPath())).count(),
                 3u);         // ., .., one
        clock->advance(3600); // a day later, but nothing changed: no second copy
        collection::startAutomaticBackup();
        collection::waitForAutomaticBackup();
        QCOMPARE(collection::newestAutomaticBackup(), first);
        pf->exec("INSERT INTO tblMain (ItemID) VALUES ('CL-9')");
        collection::startAutomaticBackup();
        collection::waitForAutomaticBackup();
        QVERIFY(collection::newestAutomaticBackup() != first);
        QCOMPARE(exchange::checkCollection(collection::newestAutomaticBackup()).items, qint64(3));
    }
};

QTEST_MAIN(TestCollectionExchange)
#include "tst_collection_exchange.moc"
