// The main window: caption, the whole menu tree, the record checks and their messages, the
// help commands, window arrangement and the end of the program.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellDoubles.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/modGlobal.h"
#include "trains/owner/frmEditOwner.h"
#include "trains/reports/dataReport.h"
#include "trains/shell/frmAbout.h"
#include "trains/shell/frmMain.h"

#include "platform/Exit.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <sqlite3.h>

using namespace testing;

Q_DECLARE_METATYPE(QList<QStringList>)

namespace {
// One menu as it stands: every entry as {name or "-", caption, "shown"/"hidden"}.
QList<QStringList> entriesOf(QMenu *menu) {
    QList<QStringList> out;
    for (QAction *a : menu->actions()) {
        const bool shown = a->isVisible();
        if (!shown && a->isEnabled())
            return {{"hidden but enabled", a->objectName()}};
        out << QStringList{a->isSeparator() ? QString("-") : a->objectName(),
                           a->isSeparator() ? QString() : a->text(),
                           shown ? QString("shown") : QString("hidden")};
    }
    return out;
}

QStringList item(const char *name, const char *caption, bool hidden = false) {
    return {name, caption, hidden ? "hidden" : "shown"};
}
QStringList sep(bool hidden = false) {
    return {"-", "", hidden ? "hidden" : "shown"};
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    std::unique_ptr<FakeShell> shell;
    std::unique_ptr<ExitRecorder> exits;
    frmMain *main = nullptr;

    QAction *action(const char *name) {
        auto *a = main->findChild<QAction *>(QLatin1String(name));
        if (!a)
            qFatal("no menu entry %s", name);
        return a;
    }
    void storeProfile() { testing::storeOwnerProfile(*pf); }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        shell = std::make_unique<FakeShell>();
        exits = std::make_unique<ExitRecorder>();
        main = new frmMain;
        main->Form_Load();
        main->show();
    }
    void cleanup() {
        QCOMPARE(boxes->unexpected(), 0);
        resetProgramState();
        exits.reset();
        shell.reset();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
    }

    void loadSetsCaptionAndStore() {
        QCOMPARE(main->windowTitle(), QString("Quillon  -  2.0"));
        QVERIFY(objRails);
        QCOMPARE(main->centralWidget(), main->mdiArea());
        // The designed client area is the smallest; the window opens larger where it can.
        QCOMPARE(main->mdiArea()->minimumSize(), QSize(815, 527));
        main->resize(300, 200);
        QCOMPARE(main->mdiArea()->viewport()->size(), QSize(815, 527));
    }

    // A first start makes room for the largest task form where the screen allows: an edit form
    // opens whole, with nothing to scroll to.
    void editFormOpensWholeAtFirstStart() {
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType) VALUES ('CL-1', 'YES', 'Box Car')");
        action("mnuEditCar")->trigger();
        QMdiSubWindow *sub = main->childWindow("frmEditCar");
        QVERIFY(sub);
        if (main->screen()->availableGeometry().height() < sub->height() + 120)
            QSKIP("The test screen is too small for an edit form and the menu bar.");
        QVERIFY(QRect(QPoint(0, 0), main->mdiArea()->viewport()->size()).contains(sub->geometry()));
        QCOMPARE(main->mdiArea()->verticalScrollBar()->maximum(), 0);
    }

    // The size and place the window is closed with are where the next run opens it.
    void sizeAndPlaceAreRemembered() {
        const QRect where(30, 20, 830, 580);
        main->setGeometry(where);
        main->close();
        QCOMPARE(exits->exits, 1);
        frmMain again;
        again.show();
        QCOMPARE(again.geometry(), where);
    }

    void menuBar_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QList<QStringList>>("entries");
        QTest::newRow("Add") << "mnuAdd"
                             << "&Add"
                             << QList<QStringList>{
                                    item("mnuAddNewLoco", "Add New Locomotive"),
                                    sep(),
                                    item("mnuAddNewCar", "Add New Rolling Stock"),
                                    sep(),
                                    item("mnuAddNewSet", "Add New Train Set"),
                                    sep(),
                                    item("mnuAddNewTrack", "Add New Track", true),
                                    sep(true),
                                    item("mnuAddNewAccessory", "Add New Accessory", true),
                                    sep(true),
                                    item("mnuAddExit", "eXit")};
        QTest::newRow("Edit") << "mnuEdit"
                              << "&Edit"
                              << QList<QStringList>{
                                     item("mnuEditLoco", "Edit Locomotive Record"),
                                     sep(),
                                     item("mnuEditCar", "Edit Rolling Stock Record"),
                                     sep(),
                                     item("mnuEditTrainSet", "Edit Train Set Record"),
                                     sep(),
                                     item("mnuEditTrack", "Edit Track Record", true),
                                     sep(true),
                                     item("mnuEditAccessory", "Edit Accessory Record", true),
                                     sep(true),
                                     item("mnuEditProfile", "Edit Owner Profile")};
        QTest::newRow("Utils")
            << "mnuUtils"
            << "&Utils"
            << QList<QStringList>{item("mnuUtilDeleteLoco", "Delete Locomotive Record"),
                                  sep(),
                                  item("mnuUtilDeleteCar", "Delete Rolling Stock Record"),
                                  sep(),
                                  item("mnuUtilDeleteSet", "Delete Train Set Record"),
                                  sep(true),
                                  item("mnuUtilDeleteTrack", "Delete Track Record", true),
                                  sep(true),
                                  item("mnuUtilDeleteAccessory", "Delete Accessory Record", true)};
        QTest::newRow("Reports") << "mnuReportS"
                                 << "&Reports"
                                 << QList<QStringList>{
                                        item("mnuReportLoco", "Locomotive Report"),
                                        sep(),
                                        item("mnuReportCar", "Rolling Stock Report"),
                                        sep(),
                                        item("mnuReportSet", "Train Set Report"),
                                        sep(true),
                                        item("mnuReportTrack", "Track Report", true),
                                        sep(true),
                                        item("mnuReportAccessory", "Accessory Report", true)};
        QTest::newRow("Windows") << "mnuWindows"
                                 << "&Windows"
                                 << QList<QStringList>{
                                        item("mnuWindowCascade", "Cascade"),           sep(),
                                        item("mnuWindowV", "Tile Vertically"),         sep(),
                                        item("mnuWindowH", "Tile Horizontally"),       sep(),
                                        item("mnuWindowArrangeIcons", "Arrange Icons")};
        QTest::newRow("Help") << "mnuHelp"
                              << "&Help"
                              << QList<QStringList>{
                                     item("mnuHelpShowHelp", "Quillon Help"), sep(),
                                     item("mnuHelpCheckUpdates", "Check For Updates"), sep(),
                                     item("mnuHelpAbout", "About Quillon")};
    }
    void menuBar() {
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QList<QStringList>, entries);
        auto *m = main->findChild<QMenu *>(menu);
        QVERIFY(m);
        QCOMPARE(m->title(), caption);
        QCOMPARE(entriesOf(m), entries);
        // No entry has a shortcut key, and no menu shows two lines in a row or one at an end.
        QString shownKinds;
        for (QAction *a : m->actions()) {
            QVERIFY(a->shortcut().isEmpty());
            if (a->isVisible())
                shownKinds += a->isSeparator() ? '-' : 'x';
        }
        QVERIFY(!shownKinds.contains("--"));
        QVERIFY(!shownKinds.startsWith('-') && !shownKinds.endsWith('-'));
    }

    void menusStandInOrder() {
        QStringList titles;
        for (QAction *a : main->menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, QStringList({"&Add", "&Edit", "&Utils", "&Reports", "&Collection",
                                      "&Windows", "&Help"}));
    }

    void hiddenEntriesCannotBeChosen() {
        for (const char *name : {"mnuAddNewTrack", "mnuAddNewAccessory", "mnuEditTrack",
                                 "mnuEditAccessory", "mnuUtilDeleteTrack", "mnuUtilDeleteAccessory",
                                 "mnuReportTrack", "mnuReportAccessory"}) {
            QAction *a = action(name);
            QVERIFY(!a->isVisible());
            QVERIFY(!a->isEnabled());
            a->trigger(); // a disabled entry does nothing
        }
        QCOMPARE(boxes->boxes().size(), 0);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
    }

    void recordChecksOnAnEmptyCollection_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        QTest::newRow("edit loco") << "mnuEditLoco"
                                   << "No Locomotive records were found to edit! ";
        QTest::newRow("edit car") << "mnuEditCar"
                                  << "No Rolling Stock records were found to edit! ";
        QTest::newRow("edit set") << "mnuEditTrainSet"
                                  << "No Train Set records were found to edit! ";
        QTest::newRow("edit profile") << "mnuEditProfile"
                                      << "No Owner Profile was found to edit! ";
        QTest::newRow("delete loco") << "mnuUtilDeleteLoco"
                                     << "No Locomotive records were found to delete! ";
        QTest::newRow("delete car") << "mnuUtilDeleteCar"
                                    << "No Rolling Stock records were found to delete! ";
        QTest::newRow("delete set") << "mnuUtilDeleteSet"
                                    << "No Train Set records were found to delete! ";
        QTest::newRow("report loco") << "mnuReportLoco"
                                     << "No Locomotive records were found! ";
        QTest::newRow("report car") << "mnuReportCar"
                                    << "No Rolling Stock records were found! ";
        QTest::newRow("report set") << "mnuReportSet"
                                    << "No Train Set records were found! ";
    }
    void recordChecksOnAnEmptyCollection() {
        QFETCH(QString, entry);
        QFETCH(QString, message);
        boxes->answer(platform::MsgResult::OK);
        action(qPrintable(entry))->trigger();
        QCOMPARE(boxes->boxes().size(), 1);
        const auto &b = boxes->boxes()[0];
        QCOMPARE(b.prompt, message);
        QCOMPARE(b.title, QString("Quillon"));
        QCOMPARE(b.icon, platform::MsgIcon::Exclamation);
        QCOMPARE(b.buttons, platform::MsgButtons::OK);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
        QVERIFY(!rsRecords);
        QVERIFY(main->cursor().shape() != Qt::WaitCursor); // the wait pointer is gone again
    }

    // A collection held by another program is not an empty one: the command says it could not
    // read it now, and why, and opens nothing.
    void recordChecksOnABusyCollection_data() {
        QTest::addColumn<QString>("entry");
        QTest::newRow("edit car") << "mnuEditCar";
        QTest::newRow("car report") << "mnuReportCar";
    }
    void recordChecksOnABusyCollection() {
        QFETCH(QString, entry);
        QDir::setCurrent(pf->path());
        pf->exec("INSERT INTO tblMain (ItemID, Car) VALUES ('CL-1', 'YES')");
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(pf->databasePath()).constData(), &other),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        boxes->answer(platform::MsgResult::OK);
        action(qPrintable(entry))->trigger();
        sqlite3_close(other);
        QCOMPARE(boxes->boxes().size(), 1);
        const auto &b = boxes->boxes()[0];
        QCOMPARE(b.prompt, QString("The collection could not be read right now: it is in use by "
                                   "another program.\r\n\r\nNothing was opened. Try again in "
                                   "a moment."));
        QCOMPARE(b.icon, platform::MsgIcon::Exclamation);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 0);
        QVERIFY(!rsRecords);
    }

    void recordChecksPassWhenRowsExist_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("form");
        QTest::newRow("edit loco") << "mnuEditLoco"
                                   << "Loco"
                                   << "frmEditLoco";
        QTest::newRow("edit car") << "mnuEditCar"
                                  << "Car"
                                  << "frmEditCar";
        QTest::newRow("edit set") << "mnuEditTrainSet"
                                  << "FullSet"
                                  << "frmEditSet";
        QTest::newRow("delete loco") << "mnuUtilDeleteLoco"
                                     << "Loco"
                                     << "frmDeleteLoco";
        QTest::newRow("delete car") << "mnuUtilDeleteCar"
                                    << "Car"
                                    << "frmDeletecar";
        QTest::newRow("delete set") << "mnuUtilDeleteSet"
                                    << "FullSet"
                                    << "frmDeleteSet";
        QTest::newRow("loco report") << "mnuReportLoco"
                                     << "Loco"
                                     << "rptLoco";
        QTest::newRow("car report") << "mnuReportCar"
                                    << "Car"
                                    << "rptCar";
        QTest::newRow("set report") << "mnuReportSet"
                                    << "FullSet"
                                    << "rptSets";
    }
    // The names of the child windows' forms, in the main window's order.
    QStringList openForms() const {
        QStringList names;
        for (QMdiSubWindow *w : main->mdiArea()->subWindowList())
            if (w->widget())
                names << w->widget()->objectName();
        return names;
    }
    void recordChecksPassWhenRowsExist() {
        QFETCH(QString, entry);
        QFETCH(QString, kind);
        QFETCH(QString, form);
        QDir::setCurrent(pf->path()); // as start-up leaves it, for the report's own connection
        pf->exec(QString("INSERT INTO tblMain (ItemID, %1) VALUES ('XX-1', 'YES')").arg(kind));
        action(qPrintable(entry))->trigger();
        QCOMPARE(boxes->boxes().size(), 0);
        QVERIFY(!rsRecords);
        QCOMPARE(openForms(), QStringList{form});
        // A second choice brings the form forward (a report is run afresh): still one window.
        action(qPrintable(entry))->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openForms(), QStringList{form});
        QCOMPARE(main->mdiArea()->activeSubWindow()->widget()->objectName(), form);
    }

    void reportReadsFreshRowsAndOwnerEachTime() {
        QDir::setCurrent(pf->path());
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType) VALUES ('CL-1', 'YES', 'Box Car')");
        action("mnuReportCar")->trigger();
        auto *first = main->mdiArea()->activeSubWindow();
        QCOMPARE(first->widget()->windowTitle(), QString("Quillon  -  Rolling Stock Report"));
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType) VALUES ('CL-2', 'YES', 'Caboose')");
        QPointer<QMdiSubWindow> old = first;
        action("mnuReportCar")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!old);
        QCOMPARE(openForms(), QStringList{"rptCar"});
        QCOMPARE(dataReport().rscmdCars->RecordCount(), 2);
    }

    void addCommandsAskNothing() {
        for (const char *name : {"mnuAddNewLoco", "mnuAddNewCar", "mnuAddNewSet"})
            action(name)->trigger();
        QCOMPARE(boxes->boxes().size(), 0);
        QCOMPARE(openForms(), QStringList({"frmAddLoco", "frmAddCar", "frmAddSet"}));
        action("mnuAddNewLoco")->trigger();
        QCOMPARE(openForms().size(), 3);
        QCOMPARE(main->mdiArea()->activeSubWindow()->widget()->objectName(), QString("frmAddLoco"));
    }

    void editProfileOpensOnceAndComesForward() {
        storeProfile();
        action("mnuEditProfile")->trigger();
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
        QMdiSubWindow *sub = main->childWindow("frmEditOwner");
        QVERIFY(sub);
        auto *form = qobject_cast<frmEditOwner *>(sub->widget());
        QVERIFY(form);
        QCOMPARE(form->fields.txtBox[1]->text(), QString("Ann"));
        QCOMPARE(sub->windowTitle(), QString("Form1"));

        auto *other = main->mdiArea()->addSubWindow(new QWidget);
        other->show();
        main->mdiArea()->setActiveSubWindow(other);
        sub->showMinimized();
        action("mnuEditProfile")->trigger();
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
        QCOMPARE(main->mdiArea()->activeSubWindow(), sub);
        QVERIFY(!sub->isMinimized());
    }

    void windowArrangement() {
        QMdiArea *mdi = main->mdiArea();
        QList<QMdiSubWindow *> subs;
        for (int i = 0; i < 3; ++i) {
            subs << mdi->addSubWindow(new QWidget);
            subs.last()->resize(200, 150);
            subs.last()->show();
        }
        const QSize area = mdi->viewport()->size();

        action("mnuWindowV")->trigger(); // side by side
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(subs[i]->geometry(),
                     QRect(i * (area.width() / 3), 0, area.width() / 3, area.height()));
        }
        action("mnuWindowH")->trigger(); // one above the other
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(subs[i]->geometry(),
                     QRect(0, i * (area.height() / 3), area.width(), area.height() / 3));
        }
        action("mnuWindowCascade")->trigger();
        QVERIFY(subs[0]->pos() != subs[1]->pos());
        QCOMPARE(subs[1]->x() - subs[0]->x(), subs[2]->x() - subs[1]->x());
        QVERIFY(subs[1]->y() > subs[0]->y());

        subs[0]->showMinimized();
        subs[2]->showMinimized();
        subs[0]->move(300, 40);
        action("mnuWindowArrangeIcons")->trigger();
        QCOMPARE(subs[0]->geometry().bottom(), area.height() - 1);
        QCOMPARE(subs[0]->x(), 0);
        QCOMPARE(subs[2]->x(), subs[0]->width());
        QCOMPARE(subs[2]->geometry().bottom(), area.height() - 1);
    }

    // Tiling gives each window its share, but never less than its form needs: the buttons of an
    // edit form stay whole and apart, and the area scrolls to what no longer fits.
    void tilingNeverSqueezesAForm() {
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType) VALUES ('CL-1', 'YES', 'Box Car')");
        for (const char *name : {"mnuEditCar", "mnuAddNewCar", "mnuUtilDeleteCar"})
            action(name)->trigger();
        QMdiArea *mdi = main->mdiArea();
        for (const char *tile : {"mnuWindowV", "mnuWindowH"}) {
            action(tile)->trigger();
            const auto subs = mdi->subWindowList(QMdiArea::CreationOrder);
            QCOMPARE(subs.size(), 3);
            for (int i = 0; i < subs.size(); ++i) {
                QVERIFY2(subs[i]->width() >= subs[i]->minimumSizeHint().width(), tile);
                QVERIFY2(subs[i]->height() >= subs[i]->minimumSizeHint().height(), tile);
                for (int j = i + 1; j < subs.size(); ++j)
                    QVERIFY2(!subs[i]->geometry().intersects(subs[j]->geometry()), tile);
            }
            QWidget *edit = subs[0]->widget();
            QRect previous;
            for (const char *button : {"cmdSave", "cmdClear", "cmdExit"}) {
                auto *b = edit->findChild<QPushButton *>(button);
                QVERIFY(b->width() >= b->sizeHint().width());
                QVERIFY(!b->geometry().intersects(previous));
                previous = b->geometry();
            }
            QScrollBar *bar = QString(tile) == "mnuWindowV" ? mdi->horizontalScrollBar()
                                                            : mdi->verticalScrollBar();
            QVERIFY2(bar->maximum() > 0, tile);
        }
    }

    // A report opens over the whole client area with every toolbar button showing.
    void reportOpensFittedToTheClientArea() {
        QDir::setCurrent(pf->path());
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType) VALUES ('CL-1', 'YES', 'Box Car')");
        main->resize(main->minimumSize()); // narrower than the report's toolbar
        action("mnuEditCar")->trigger();
        action("mnuAddNewCar")->trigger();
        action("mnuReportCar")->trigger();
        QMdiSubWindow *sub = main->childWindow("rptCar");
        QVERIFY(sub);
        auto *bar = sub->findChild<QToolBar *>();
        QVERIFY(bar);
        QCoreApplication::processEvents(); // scroll bars and the toolbar settle
        QMdiArea *mdi = main->mdiArea();
        QCOMPARE(sub->geometry(), QRect(QPoint(0, 0), mdi->viewport()->size()));
        QCOMPARE(mdi->horizontalScrollBar()->maximum(), 0); // the edit form only reaches below
        for (QAction *a : bar->actions()) {
            if (a->isSeparator())
                continue;
            QWidget *shown = bar->widgetForAction(a);
            QVERIFY2(shown && shown->isVisible(), qPrintable(a->text()));
            QVERIFY2(bar->rect().contains(shown->geometry()), qPrintable(a->text()));
        }
    }

    // The Windows menu lists the open task windows by their headings below its own entries,
    // the active one checked, and brings the one chosen forward. F1 opens the help; Ctrl+F4
    // closes the active task window.
    void windowsMenuListsTaskWindowsAndKeysReachThem() {
        QDir::setCurrent(pf->path());
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType) VALUES ('CL-1', 'YES', 'Box Car')");
        for (const char *name : {"mnuEditCar", "mnuAddNewLoco", "mnuReportCar"})
            action(name)->trigger();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        auto *menu = main->findChild<QMenu *>("mnuWindows");
        const auto listed = [&] {
            menu->popup(main->mapToGlobal(QPoint(20, 20)));
            QStringList out;
            const QList<QAction *> entries = menu->actions().mid(7);
            for (QAction *a : entries)
                out << (a->isSeparator() ? QString("-")
                                         : (a->isChecked() ? "[x] " : "[ ] ") + a->text());
            menu->hide();
            return out;
        };
        QCOMPARE(listed(), QStringList({"-", "[ ] Edit Rolling Stock Record",
                                        "[ ] Add New Locomotive", "[x] Rolling Stock Report"}));
        listed();
        menu->actions().at(8)->trigger();
        QCOMPARE(main->mdiArea()->activeSubWindow()->widget()->objectName(), QString("frmEditCar"));
        QCOMPARE(listed().at(1), QString("[x] Edit Rolling Stock Record"));

        HelpRecorder help;
        QTest::keyClick(main, Qt::Key_F1);
        QCOMPARE(help.shown, QStringList({pf->path() + "/help/quillon.qhc"}));
        QTest::keyClick(main, Qt::Key_F4, Qt::ControlModifier);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(openForms(), QStringList({"frmAddLoco", "rptCar"}));
        QCOMPARE(listed().size(), 3);
    }

    // Closing the program closes an edit form holding changes only when the user drops them.
    void closingKeepsTheProgramForUnsavedChanges() {
        pf->exec("INSERT INTO tblMain (ItemID, Car, CarType, RailLine) "
                 "VALUES ('CL-12', 'YES', 'Box Car', 'Santa Fe')");
        action("mnuEditCar")->trigger();
        QWidget *edit = main->childWindow("frmEditCar")->widget();
        auto *list = edit->findChild<QTreeView *>();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 1)).center());
        auto *railLine = edit->findChild<QLineEdit *>("txtBox_0");
        QCOMPARE(railLine->text(), QString("Santa Fe"));
        QTest::keyClicks(railLine, " Railway");

        boxes->answer(platform::MsgResult::No);
        main->close();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("Discard your changes to CL-12? "));
        QCOMPARE(exits->exits, 0);
        QVERIFY(main->isVisible());
        QCOMPARE(openForms(), QStringList{"frmEditCar"});

        boxes->answer(platform::MsgResult::Yes);
        action("mnuAddExit")->trigger();
        QCOMPARE(boxes->boxes().size(), 2);
        QCOMPARE(exits->exits, 1);
    }

    void checkForUpdatesStartsTheBrowser() {
        auto registry = FakeRegistry::install();
        registry->setText(platform::HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", "",
                          "\"/usr/bin/xdg-open\"");
        action("mnuHelpCheckUpdates")->trigger();
        QCOMPARE(shell->calls.size(), 1);
        QCOMPARE(shell->calls[0].commandLine,
                 QString("\"/usr/bin/xdg-open\" ") + frmMain::kProductWebPage);
        QCOMPARE(shell->calls[0].style, platform::WindowStyle::NormalFocus);
        platform::setRegistryBackend(nullptr);
    }

    void checkForUpdatesWithoutABrowserShowsNothing() {
        auto registry = FakeRegistry::install();
        shell->fail = true;
        action("mnuHelpCheckUpdates")->trigger();
        QCOMPARE(shell->calls.size(), 1);
        QCOMPARE(shell->calls[0].commandLine, QString(" ") + frmMain::kProductWebPage);
        QCOMPARE(boxes->boxes().size(), 0);
        platform::setRegistryBackend(nullptr);
    }

    void helpOpensTheCollection() {
        HelpRecorder help;
        action("mnuHelpShowHelp")->trigger();
        QCOMPARE(help.shown, QStringList({pf->path() + "/help/quillon.qhc"}));
    }

    void aboutIsShownModally() {
        QString caption;
        bool modal = false;
        whenModal<frmAbout>([&](frmAbout *about) {
            caption = about->windowTitle();
            modal = about->isModal();
            about->cmdOK->click();
        });
        action("mnuHelpAbout")->trigger();
        QCOMPARE(caption, QString("About Quillon"));
        QVERIFY(modal);
    }

    void closingTheMainWindowEndsTheProgram_data() {
        QTest::addColumn<bool>("throughMenu");
        QTest::newRow("close box") << false;
        QTest::newRow("eXit") << true;
    }
    void closingTheMainWindowEndsTheProgram() {
        QFETCH(bool, throughMenu);
        storeProfile();
        action("mnuEditProfile")->trigger();
        QPointer<QWidget> child = main->childWindow("frmEditOwner");
        QVERIFY(child);
        QDir::setCurrent(QDir::rootPath());
        if (throughMenu)
            action("mnuAddExit")->trigger();
        else
            main->close();
        QCOMPARE(exits->exits, 1);
        QCOMPARE(boxes->boxes().size(), 0);
        QVERIFY(!main->isVisible());
        QVERIFY(!objRails);
        QCOMPARE(QFileInfo(QDir::currentPath()), QFileInfo(pf->path()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!child);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_shell_mainwindow.moc"
