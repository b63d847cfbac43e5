// The collection reports as a collector sees them: what the PDF a report writes says (read back
// with poppler's pdftotext), which rows the report's commands fetch, and how a report run
// replaces the previous one.
#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "tests/support/TestSupport.h"
#include "trains/Forms.h"
#include "trains/modGlobal.h"
#include "trains/reports/CollectionReport.h"
#include "trains/reports/ReportPreview.h"
#include "trains/reports/ReportWriter.h"
#include "trains/reports/Reports.h"
#include "trains/reports/dataReport.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using reports::CollectionReport;

namespace {

struct Item {
    QString kind; // Car, Loco or FullSet
    QString itemId;
    QString type;
    QString carNumber;
    QString setNumber;
    QString cost = QStringLiteral("10");
    QString value = QStringLiteral("20");
    QString date = QStringLiteral("2007-08-16");
};

QString insertSql(const Item &it) {
    const auto flag = [&](const char *k) {
        return it.kind == QLatin1String(k) ? QStringLiteral("'YES'") : QStringLiteral("'NO'");
    };
    const QString date = it.date == QLatin1String("NULL")
                             ? it.date
                             : QLatin1Char('\'') + it.date + QLatin1Char('\'');
    return QStringLiteral(
               "INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, CarNumber, "
               "SetNumber, Gauge, Curve, CarColor, OriginalCost, CurrentValue, DateAccquired, "
               "Car, Loco, FullSet, Track, Accessory, Condition, Box) VALUES ('%1', 'Lionel', "
               "'Santa Fe', '%2', '%3', '%4', 'O', '031', 'Red', %5, %6, %7, %8, %9, %10, "
               "'NO', 'NO', 'Excellent', 'YES');")
        .arg(it.itemId, it.type, it.carNumber, it.setNumber, it.cost, it.value, date, flag("Car"),
             flag("Loco"))
        .arg(flag("FullSet"));
}

void addItem(const testing::ProgramFolder &pf, const Item &it) {
    pf.exec(insertSql(it));
}

// Many cars of one type, numbered from `first`, in one transaction.
void addCars(const testing::ProgramFolder &pf, int count, int first = 1) {
    QString sql = QStringLiteral("BEGIN;");
    for (int i = first; i < first + count; ++i)
        sql += insertSql({QStringLiteral("Car"),
                          QStringLiteral("CL-%1").arg(i),
                          QStringLiteral("Boxcar"),
                          QString::number(1000 + i),
                          {}});
    pf.exec(sql + QStringLiteral("COMMIT;"));
}

QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString &path) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

QString pdfInfo(const QString &path, const QString &key) {
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    const QRegularExpression re(QStringLiteral("^%1:\\s*(.*)$").arg(key),
                                QRegularExpression::MultilineOption);
    return re.match(info).captured(1).trimmed();
}

// The words of a PDF with their boxes in points, as poppler places them.
struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
};
QList<Word> pdfWords(const QString &path) {
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    static const QRegularExpression re(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> words;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.append({m.captured(5).replace(QStringLiteral("&amp;"), QStringLiteral("&")),
                      m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                      m.captured(4).toDouble()});
    }
    return words;
}

// Collapses runs of blanks so that layout spacing does not matter.
QString squeezed(QString text) {
    return text.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
}

// The text lines of the page a form feed separates.
QStringList pdfPages(const QString &text) {
    return text.split(QLatin1Char('\f'));
}

ItemKind reportIdOf(const QString &name) {
    if (name == QLatin1String("rptLoco"))
        return ItemKind::Loco;
    if (name == QLatin1String("rptSets"))
        return ItemKind::Set;
    return ItemKind::Car;
}

} // namespace

class tst_reports : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<testing::ProgramFolder> pf;
    QTemporaryDir out;
    QString savedCurrent;

    CollectionReport *openReport(ItemKind id) {
        return qobject_cast<CollectionReport *>(createReport(id));
    }

    QString savePdf(CollectionReport *report, const QString &name) {
        const QString path = out.filePath(name);
        if (!report || !report->saveAsPdf(path))
            return {};
        return path;
    }

  private slots:
    void initTestCase() {
        QVERIFY(out.isValid());
        savedCurrent = QDir::currentPath();
        QVERIFY2(!run(QStringLiteral("pdftotext"), {QStringLiteral("-v")}).isNull() ||
                     QProcess::execute(QStringLiteral("pdftotext"), {QStringLiteral("-v")}) == 0,
                 "pdftotext (poppler-utils) is needed");
    }

    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        // Start-up makes the program folder current; the reports name the database relative
        // to it.
        QVERIFY(QDir::setCurrent(pf->path()));
        ReleaseDataReport();
        strOwnerName = QStringLiteral("Ann O'Neil");
    }

    void cleanup() {
        for (ItemKind id : {ItemKind::Car, ItemKind::Loco, ItemKind::Set})
            delete reports::loadedReport(id);
        ReleaseDataReport();
        QDir::setCurrent(savedCurrent);
        SetProgramFolder(QString());
        pf.reset();
        reports::CollectionReport::setPdfFileNameAsker({});
    }

    // The report connection spells the folder "ZeriZori"; on a case-sensitive file system it
    // must still reach the store's "zerizori" folder below the current folder.
    void connectionReachesStoreFolder() {
        addCars(*pf, 2);
        DataReportSource &src = dataReport();
        QCOMPARE(src.conReport.ConnectionString,
                 QStringLiteral("Provider=SQLite;Data Source=ZeriZori\\rails.trk;"
                                "Persist Security Info=False;"));
        QCOMPARE(QFileInfo(src.conReport.dataSourcePath()).canonicalFilePath(),
                 QFileInfo(pf->databasePath()).canonicalFilePath());
        QVERIFY(!QFileInfo::exists(pf->path() + QStringLiteral("/ZeriZori")));
        src.cmdCars();
        QCOMPARE(src.rscmdCars->State(), int(engine::Recordset::adStateOpen));
        QCOMPARE(src.rscmdCars->RecordCount(), 2);
        src.rscmdCars->Close();
        QCOMPARE(src.rscmdCars->State(), int(engine::Recordset::adStateClosed));
    }

    void commandsFetchTheirKindByType_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("cars") << "cmdCars" << QStringList{"CL-3", "CL-1", "CL-2"};
        QTest::newRow("locos") << "cmdLoco" << QStringList{"LL-5", "LL-4"};
        QTest::newRow("sets") << "cmdSets" << QStringList{"SL-6"};
    }
    void commandsFetchTheirKindByType() {
        QFETCH(QString, command);
        QFETCH(QStringList, expected);
        addItem(*pf, {"Car", "CL-1", "Flatcar", "11", {}});
        addItem(*pf, {"Car", "CL-2", "Hopper", "12", {}});
        addItem(*pf, {"Car", "CL-3", "Boxcar", "13", {}});
        addItem(*pf, {"Loco", "LL-4", "Steam", "14", {}});
        addItem(*pf, {"Loco", "LL-5", "Diesel", "15", {}});
        addItem(*pf, {"FullSet", "SL-6", "Diesel", "16", "S-6"});
        dataReport().Run(command);
        auto rs = dataReport().recordsetOf(command);
        QStringList ids;
        for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
            ids << rs->Fields(QStringLiteral("ItemID")).toString();
        QCOMPARE(ids, expected);
    }

    void unknownCommandOrMissingDatabaseRaises() {
        QVERIFY(!platform::resumeNext([] { dataReport().Run(QStringLiteral("cmdTracks")); }));
        addCars(*pf, 1);
        dataReport().cmdCars();
        QVERIFY(QFile::remove(pf->databasePath()));
        // A failed run leaves no rows of the previous run behind, and no report is built: the
        // user is told the collection could not be read instead of seeing an empty report.
        QVERIFY(!platform::resumeNext([] { dataReport().cmdCars(); }));
        QCOMPARE(dataReport().rscmdCars->State(), int(engine::Recordset::adStateClosed));
        testing::ScriptedMsgBox box;
        box.answer(platform::MsgResult::OK);
        QCOMPARE(createReport(ItemKind::Car), nullptr);
        QCOMPARE(box.boxes().size(), 1);
        QVERIFY2(box.boxes()[0].prompt.startsWith("The collection could not be read right now: "),
                 qPrintable(box.boxes()[0].prompt));
        QCOMPARE(dataReport().conReport.State(), int(engine::Connection::adStateClosed));
    }

    // What each report prints: its title, captions and the kind's own column.
    void pdfShowsReport_data() {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("sixthCaption");
        QTest::addColumn<QString>("itemId");
        QTest::addColumn<QString>("numberShown");
        QTest::addColumn<QString>("numberHidden");
        QTest::newRow("rolling stock") << "rptCar"
                                       << "Quillon  -  Rolling Stock Report"
                                       << "Ann O'Neil  -  Rolling Stock Report"
                                       << "Color"
                                       << "CL-1"
                                       << "C-101"
                                       << "";
        QTest::newRow("locomotives") << "rptLoco"
                                     << "Quillon  -  Locomotive Report"
                                     << "Ann O'Neil  -  Locomotives Report"
                                     << "Power"
                                     << "LL-2"
                                     << "L-202"
                                     << "X-9";
        QTest::newRow("full sets") << "rptSets"
                                   << "Quillon  -  Full Set Report"
                                   << "Ann O'Neil  -  Full Set Report"
                                   << "Power"
                                   << "SL-3"
                                   << "S-303"
                                   << "C-303";
    }
    void pdfShowsReport() {
        QFETCH(QString, report);
        QFETCH(QString, caption);
        QFETCH(QString, title);
        QFETCH(QString, sixthCaption);
        QFETCH(QString, itemId);
        QFETCH(QString, numberShown);
        QFETCH(QString, numberHidden);
        addItem(*pf, {"Car", "CL-1", "Boxcar", "C-101", {}});
        addItem(*pf, {"Loco", "LL-2", "Diesel", "L-202", "X-9"});
        addItem(*pf, {"FullSet", "SL-3", "Steam", "C-303", "S-303"});
        testing::FakeClock clock(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));

        CollectionReport *r = openReport(reportIdOf(report));
        QVERIFY(r);
        QCOMPARE(r->objectName(), report);
        QCOMPARE(r->windowTitle(), caption);
        QCOMPARE(r->title(), title);
        const QString path = savePdf(r, report + QStringLiteral(".pdf"));
        QVERIFY(!path.isEmpty());
        const QString text = squeezed(pdfText(path));
        QVERIFY2(text.contains(squeezed(title)), qPrintable(text));
        const QString captions = QStringLiteral("ID No. Manufacturer Rail Line Gauge Curve %1 "
                                                "Number Cost Value Accquired Box Condition:")
                                     .arg(sixthCaption);
        QVERIFY2(text.contains(captions), qPrintable(text));
        QVERIFY(text.contains(itemId + QLatin1Char(' ')));
        QVERIFY(text.contains(QLatin1Char(' ') + numberShown + QLatin1Char(' ')));
        if (!numberHidden.isEmpty())
            QVERIFY(!text.contains(numberHidden));
        // The kind's other items are not listed.
        for (const char *other : {"CL-1", "LL-2", "SL-3"})
            if (itemId != QLatin1String(other))
                QVERIFY(!text.contains(QLatin1String(other)));
        QVERIFY(text.contains(QStringLiteral("Page 1 of 1")));
        QVERIFY(text.contains(platform::shortDate(QDate(2026, 3, 14))));
        QVERIFY(text.contains(QStringLiteral("Quillon")));
        QVERIFY(text.contains(reports::kProductWebAddress));
        QCOMPARE(pdfInfo(path, QStringLiteral("Pages")), QStringLiteral("1"));
        QVERIFY2(pdfInfo(path, QStringLiteral("Page size")).startsWith(QStringLiteral("792 x 612")),
                 qPrintable(pdfInfo(path, QStringLiteral("Page size"))));
    }

    void pdfFormatsAmountsAndDates() {
        addItem(*pf, {"Car", "CL-1", "Boxcar", "1", {}, "0", "1234.5", "2007-08-16"});
        addItem(*pf, {"Car", "CL-2", "Caboose", "2", {}, "1234567.891", "5", "2024-12-01"});
        addItem(*pf, {"Car", "CL-3", "Tanker", "3", {}, "NULL", "7.1", "NULL"});
        const QString path = savePdf(openReport(ItemKind::Car), QStringLiteral("money.pdf"));
        QVERIFY(!path.isEmpty());
        const QStringList lines = pdfText(path).split(QLatin1Char('\n'));
        const auto lineOf = [&](const QString &id) {
            for (const QString &l : lines)
                if (l.contains(id + QLatin1Char(' ')))
                    return squeezed(l);
            return QString();
        };
        QVERIFY2(lineOf("CL-1").contains("$0.00 $1,234.50 8/16/2007 YES"),
                 qPrintable(lineOf("CL-1")));
        QVERIFY2(lineOf("CL-2").contains("$1,234,567.89 $5.00 12/1/2024"),
                 qPrintable(lineOf("CL-2")));
        // No cost and no date print as blanks, not as $0.00 or a made-up date.
        QVERIFY2(lineOf("CL-3").contains("031 Red 3 $7.10 YES"), qPrintable(lineOf("CL-3")));
    }

    // Rows come sorted by type, not by item number, across page breaks.
    void pdfListsRowsByTypeOverPages() {
        for (int i = 1; i <= 45; ++i)
            addItem(*pf, {"Car",
                          QStringLiteral("CL-%1").arg(i),
                          i % 2 ? QStringLiteral("Tanker") : QStringLiteral("Boxcar"),
                          QString::number(i),
                          {}});
        CollectionReport *r = openReport(ItemKind::Car);
        QVERIFY(r);
        QCOMPARE(r->pageCount(), 3);
        const QString path = savePdf(r, QStringLiteral("pages.pdf"));
        QCOMPARE(pdfInfo(path, QStringLiteral("Pages")), QStringLiteral("3"));
        const QStringList pages = pdfPages(squeezed(pdfText(path)));
        QVERIFY(pages.size() >= 3);
        QVERIFY(pages[0].contains(QStringLiteral("Page 1 of 3")));
        QVERIFY(pages[2].contains(QStringLiteral("Page 3 of 3")));
        QVERIFY(!pages[2].contains(QStringLiteral("Page 2 of 3")));
        // Every page repeats the title and the caption row.
        for (int p = 0; p < 3; ++p) {
            QVERIFY(pages[p].contains(QStringLiteral("Ann O'Neil - Rolling Stock Report")));
            QVERIFY(pages[p].contains(QStringLiteral("Accquired Box Condition:")));
        }
        // 22 boxcars (even numbers) come before the 23 tankers.
        const QRegularExpression row(QStringLiteral("CL-(\\d+) Lionel"));
        QList<int> order;
        for (const QString &page : pages.mid(0, 3))
            for (auto it = row.globalMatch(page); it.hasNext();)
                order << it.next().captured(1).toInt();
        QCOMPARE(order.size(), 45);
        for (int i = 0; i < 45; ++i)
            QCOMPARE(order[i] % 2, i < 22 ? 0 : 1);
    }

    // A title is printed as the owner wrote it: accents, quotes and a placeholder's letters.
    void placeholdersInOwnerNamePrintAsWritten() {
        addCars(*pf, 1);
        strOwnerName = QStringLiteral("Zo\u00eb's 100%P %d Club");
        const QString path = savePdf(openReport(ItemKind::Car), QStringLiteral("pct.pdf"));
        const QString text = squeezed(pdfText(path));
        QVERIFY2(text.contains(QStringLiteral("Zo\u00eb's 100%P %d Club - Rolling Stock Report")),
                 qPrintable(text));
    }

    // A second run drops the first report and shows fresh rows under the current owner name.
    void rerunShowsRenamedOwnerAndFreshRows() {
        addCars(*pf, 2);
        strOwnerName = QStringLiteral("Ann Lee");
        QMdiArea area;
        area.addSubWindow(createReport(ItemKind::Car));
        QPointer<CollectionReport> first = reports::loadedReport(ItemKind::Car);
        QVERIFY(first);
        QCOMPARE(first->title(), QStringLiteral("Ann Lee  -  Rolling Stock Report"));
        QCOMPARE(first->renderer().rowCount(), 2);
        auto firstRows = dataReport().rscmdCars;

        // The owner profile form stores the new name and updates the program's copy.
        pf->exec(QStringLiteral("INSERT INTO tblOwner (OwnerID, FullName) VALUES ('1', 'Bea "
                                "D''Arcy')"));
        strOwnerName = pf->scalar(QStringLiteral("SELECT FullName FROM tblOwner")).toString();
        addCars(*pf, 1, 3);

        auto *second = openReport(ItemKind::Car);
        QVERIFY(second);
        area.addSubWindow(second);
        QCOMPARE(firstRows->State(), int(engine::Recordset::adStateClosed));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QCOMPARE(area.subWindowList().size(), 1);
        QCOMPARE(second->renderer().rowCount(), 3);
        const QString text = squeezed(pdfText(savePdf(second, QStringLiteral("renamed.pdf"))));
        QVERIFY2(text.contains(QStringLiteral("Bea D'Arcy - Rolling Stock Report")),
                 qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("Ann Lee")));
        QVERIFY(text.contains(QStringLiteral("CL-3 ")));
    }

    // The preview draws the page on show and no other; paging draws the next one asked for.
    void previewDrawsOnlyPagesAskedFor() {
        addCars(*pf, 200);
        QMdiArea area;
        area.resize(1000, 720);
        QMdiSubWindow *sub = area.addSubWindow(createReport(ItemKind::Car));
        auto *r = qobject_cast<CollectionReport *>(sub->widget());
        QVERIFY(r);
        QCOMPARE(sub->windowTitle(), QStringLiteral("Quillon  -  Rolling Stock Report"));
        sub->resize(960, 680);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QCOMPARE(r->pageCount(), 10);
        QCOMPARE(r->currentPage(), 1);
        QImage shot = area.grab().toImage();
        QCOMPARE(r->pageView()->pagesDrawn(), 1);
        if (const QByteArray dir = qgetenv("QUILLON_SHOT_DIR"); !dir.isEmpty())
            shot.save(QString::fromLocal8Bit(dir) + QStringLiteral("/report-preview.png"));

        // Paging by keyboard.
        area.setActiveSubWindow(sub);
        area.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&area));
        QTest::keyClick(r->pageView(), Qt::Key_PageDown);
        QCOMPARE(r->currentPage(), 2);
        QTest::keyClick(r->pageView(), Qt::Key_PageUp);
        QCOMPARE(r->currentPage(), 1);

        r->showPage(7);
        area.grab();
        QCOMPARE(r->currentPage(), 7);
        QCOMPARE(r->pageView()->pagesDrawn(), 2);
        r->showPage(99);
        QCOMPARE(r->currentPage(), 10);
        r->setZoomPercent(100);
        QCoreApplication::processEvents();
        const QImage zoomed = area.grab().toImage();
        QCOMPARE(r->pageView()->pagesDrawn(), 3);
        if (const QByteArray dir = qgetenv("QUILLON_SHOT_DIR"); !dir.isEmpty())
            zoomed.save(QString::fromLocal8Bit(dir) + QStringLiteral("/report-preview-100.png"));
        // A page at real size is wider than the window: 11 inches of paper.
        QVERIFY(r->pageView()->width() > 1000);
    }

    // Printing goes through the same pages; a page range prints only those pages.
    void printRangeOnPdfPrinter() {
        addCars(*pf, 45);
        CollectionReport *r = openReport(ItemKind::Car);
        QVERIFY(r);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = out.filePath(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setFullPage(true);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        QVERIFY(r->printTo(printer));
        QCOMPARE(pdfInfo(path, QStringLiteral("Pages")), QStringLiteral("2"));
        const QString text = squeezed(pdfText(path));
        QVERIFY(text.contains(QStringLiteral("Page 2 of 3")));
        QVERIFY(text.contains(QStringLiteral("Page 3 of 3")));
        QVERIFY(!text.contains(QStringLiteral("Page 1 of 3")));
        QVERIFY(text.contains(QStringLiteral("CL-45 ")));
    }

    // Portrait paper is narrower than the report: every column still reaches the paper.
    void printOnPortraitPaperKeepsEveryColumn() {
        addCars(*pf, 45);
        CollectionReport *r = openReport(ItemKind::Car);
        QVERIFY(r);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = out.filePath(QStringLiteral("portrait.pdf"));
        printer.setOutputFileName(path);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setFullPage(true);
        QVERIFY(r->printTo(printer));
        QVERIFY(pdfInfo(path, QStringLiteral("Page size")).startsWith(QStringLiteral("612 x 792")));
        const QString text = squeezed(pdfText(path));
        QVERIFY2(text.contains(QStringLiteral("Box Condition:")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("CL-45 Lionel Santa Fe O 031 Red 1045 $10.00 "
                                             "$20.00 8/16/2007 YES Excellent")));
        QVERIFY(text.contains(reports::kProductWebAddress));
        // The preview keeps its own landscape pages.
        QCOMPARE(r->pageCount(), 3);
    }

    // Every value prints whole within its column's rules: a wide amount at a smaller size, a
    // long text cut at its end with an ellipsis.
    void valuesStayInsideTheirColumns_data() {
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("column");
        QTest::newRow("cost 12,345.67") << "12345.67"
                                        << "1"
                                        << "$12,345.67" << 7;
        QTest::newRow("cost 1,234,567.89") << "1234567.89"
                                           << "1"
                                           << "$1,234,567.89" << 7;
        QTest::newRow("value 1,234,567.89") << "1"
                                            << "1234567.89"
                                            << "$1,234,567.89" << 8;
    }
    void valuesStayInsideTheirColumns() {
        QFETCH(QString, cost);
        QFETCH(QString, value);
        QFETCH(QString, amount);
        QFETCH(int, column);
        addItem(*pf, {"Car", "CL-1", "Boxcar", "1", {}, cost, value, "2007-08-16"});
        pf->exec("UPDATE tblMain SET RailLine = 'Atchison, Topeka and Santa Fe Railway Company'");
        CollectionReport *r = openReport(ItemKind::Car);
        QVERIFY(r);
        const QString path = savePdf(r, QStringLiteral("whole.pdf"));
        QVERIFY(!path.isEmpty());
        const QList<Word> words = pdfWords(path);
        QVERIFY(!words.isEmpty());
        // Column edges: the rules either side, in points, less half a rule's width.
        const auto &detail = r->renderer().layout().detail.controls;
        QList<double> rules;
        for (const auto &c : detail)
            if (c.kind == reports::ReportControl::Kind::Line && c.rect.width() == 0)
                rules << (r->renderer().layout().leftMargin + c.rect.left()) / 20.0;
        std::sort(rules.begin(), rules.end());
        QCOMPARE(rules.size(), 13);
        const double half = 7.5 / 20;
        const auto inside = [&](const Word &w, int col) {
            return w.xMin >= rules[col] + half && w.xMax <= rules[col + 1] - half;
        };
        const auto found = std::find_if(words.begin(), words.end(),
                                        [&](const Word &w) { return w.text == amount; });
        QVERIFY2(found != words.end(), qPrintable(amount + " is not one whole word"));
        QVERIFY2(
            inside(*found, column),
            qPrintable(QString("%1 spans %2..%3").arg(amount).arg(found->xMin).arg(found->xMax)));
        // The rail line column: what is in it starts like the stored text and ends with "…".
        QStringList railLine;
        for (const Word &w : words)
            if (qAbs(w.yMin - found->yMin) < 3 && w.xMin >= rules[2] && w.xMin < rules[3]) {
                QVERIFY2(inside(w, 2), qPrintable(w.text));
                railLine << w.text;
            }
        const QString shown = railLine.join(QLatin1Char(' '));
        QVERIFY2(shown.startsWith(QStringLiteral("Atchison, Topeka")), qPrintable(shown));
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        // Nothing of the rail line spilled into the neighbouring columns.
        for (const Word &w : words)
            if (qAbs(w.yMin - found->yMin) < 3 && !inside(w, 2))
                QVERIFY2(!w.text.contains(QStringLiteral("Railway")), qPrintable(w.text));
        if (const QByteArray dir = qgetenv("QUILLON_SHOT_DIR"); !dir.isEmpty()) {
            r->resize(1200, 800);
            r->setZoomPercent(150);
            r->grab().save(QString::fromLocal8Bit(dir) +
                           QStringLiteral("/report-whole-values.png"));
        }
    }

    // Writing runs on its own thread with the pages counted; Cancel stops it and leaves no
    // file, not even a part of one.
    void pdfRunShowsProgressAndCancelLeavesNoFile() {
        addCars(*pf, 1500);
        testing::ScriptedMsgBox box;
        CollectionReport *r = openReport(ItemKind::Car);
        QVERIFY(r);
        r->show();
        auto *bar = r->findChild<QProgressBar *>();
        QVERIFY(bar);
        const QString done = out.filePath(QStringLiteral("done.pdf"));
        r->startPdf(done);
        QVERIFY(r->output() && r->output()->isRunning());
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->maximum(), r->pageCount());
        QVERIFY(r->waitForOutput());
        QVERIFY(!bar->isVisible());
        QCOMPARE(r->output()->pagesDone(), r->pageCount());
        QCOMPARE(pdfInfo(done, QStringLiteral("Pages")), QString::number(r->pageCount()));

        QDir folder(out.path());
        const QStringList before = folder.entryList(QDir::Files | QDir::Hidden);
        const QString cancelled = out.filePath(QStringLiteral("cancelled.pdf"));
        r->startPdf(cancelled);
        r->findChild<QPushButton *>(QStringLiteral("cmdCancelOutput"))->click();
        QVERIFY(!r->waitForOutput());
        QVERIFY(r->output()->pagesDone() < r->pageCount());
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), before);
        QCOMPARE(box.boxes().size(), 0);
    }

    void fieldFormats_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        const QString money = QStringLiteral("\"$\"#,##0.00");
        const QString date = QStringLiteral("M/d/yyyy");
        QTest::newRow("amount") << QVariant(1234.5) << money << "$1,234.50";
        QTest::newRow("zero") << QVariant(0.0) << money << "$0.00";
        QTest::newRow("negative") << QVariant(-5.0) << money << "-$5.00";
        QTest::newRow("tiny negative") << QVariant(-0.001) << money << "$0.00";
        QTest::newRow("amount as text") << QVariant(QStringLiteral("12.5")) << money << "$12.50";
        QTest::newRow("text amount") << QVariant(QStringLiteral("n/a")) << money << "n/a";
        QTest::newRow("null amount") << QVariant() << money << "";
        QTest::newRow("date") << QVariant(QStringLiteral("2007-08-16")) << date << "8/16/2007";
        QTest::newRow("time stamp")
            << QVariant(QStringLiteral("2024-12-01 10:30:00")) << date << "12/1/2024";
        QTest::newRow("unreadable date") << QVariant(QStringLiteral("soon")) << date << "soon";
        QTest::newRow("plain") << QVariant(QStringLiteral("O'Neil")) << QString() << "O'Neil";
    }
    void fieldFormats() {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(reports::formatField(value, format), expected);
    }

    void saveAsPdfAsksForTheFile() {
        addCars(*pf, 1);
        testing::ScriptedMsgBox box;
        CollectionReport *r = openReport(ItemKind::Car);
        QString suggested;
        const QString chosen = out.filePath(QStringLiteral("chosen.pdf"));
        CollectionReport::setPdfFileNameAsker([&](QWidget *, const QString &s) {
            suggested = s;
            return chosen;
        });
        r->cmdSavePdf_Click();
        QVERIFY(r->waitForOutput());
        // The name printing to a file gives the same report.
        QCOMPARE(QFileInfo(suggested).fileName(),
                 QStringLiteral("Ann O'Neil  -  Rolling Stock Report.pdf"));
        QVERIFY(pdfText(chosen).contains(QStringLiteral("CL-1")));

        // Cancelling the dialog writes nothing and says nothing.
        QFile::remove(chosen);
        CollectionReport::setPdfFileNameAsker([](QWidget *, const QString &) { return QString(); });
        r->cmdSavePdf_Click();
        QVERIFY(!QFileInfo::exists(chosen));
        QCOMPARE(box.boxes().size(), 0);

        // A file that cannot be written is reported, not passed over in silence.
        const QString bad = out.filePath(QStringLiteral("no/such/folder/x.pdf"));
        CollectionReport::setPdfFileNameAsker([&](QWidget *, const QString &) { return bad; });
        r->cmdSavePdf_Click();
        QVERIFY(!r->waitForOutput());
        QCOMPARE(box.boxes().size(), 1);
        QCOMPARE(box.boxes()[0].icon, platform::MsgIcon::Critical);
        QCOMPARE(box.boxes()[0].title, QStringLiteral("Quillon"));
        QVERIFY(box.boxes()[0].prompt.contains(QDir::toNativeSeparators(bad)));

        // A disk that fills while the PDF is written (here: a limit on the size a file may
        // grow to) says so, and leaves the file that was there.
        addCars(*pf, 300, 2);
        r = openReport(ItemKind::Car);
        QFile old(chosen);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("an older report") > 0);
        old.close();
        CollectionReport::setPdfFileNameAsker([&](QWidget *, const QString &) { return chosen; });
        const QStringList files = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        {
            testing::FileSizeLimit fullDisk(16 * 1024);
            r->cmdSavePdf_Click();
            QVERIFY(!r->waitForOutput());
        }
        QCOMPARE(box.boxes().size(), 2);
        const QString said = box.boxes()[1].prompt;
        QVERIFY2(said.contains(QDir::toNativeSeparators(chosen)) &&
                     (said.endsWith("File too large.") || said.endsWith("The disk may be full.")),
                 qPrintable(said));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("an older report"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), files);
    }

    // Shutdown releases the data source even while a report is still on screen; the report
    // goes on drawing its frame without rows instead of failing.
    void releaseWhileReportShown() {
        addCars(*pf, 3);
        CollectionReport *r = openReport(ItemKind::Car);
        auto rows = dataReport().rscmdCars;
        ReleaseDataReport();
        QCOMPARE(rows->State(), int(engine::Recordset::adStateClosed));
        r->resize(800, 600);
        r->show();
        r->grab();
        QCOMPARE(r->pageView()->pagesDrawn(), 1);
    }
};

QTEST_MAIN(tst_reports)
#include "tst_reports.moc"
