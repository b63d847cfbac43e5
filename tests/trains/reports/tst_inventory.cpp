// The collection inventory read back as an insurer reads it (poppler's pdftotext, pdfinfo and
// pdfimages): the cover with the owner, totals per kind and the basis of value, every item in
// natural order with its photos, "Page n of m" on every page, the paper and the currency; the
// files it refuses to write; the same from railsdb and from Browse's "Print What's Shown…".
#include "tests/support/TestSupport.h"
#include "tests/trains/collection/CollectionKit.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/collection/CollectionData.h"
#include "trains/collection/FileChooser.h"
#include "trains/collection/frmCollection.h"
#include "trains/modGlobal.h"
#include "trains/reports/InventoryDialog.h"
#include "trains/reports/InventoryReport.h"
#include "trains/shell/frmMain.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace testing;
using namespace collectionkit;

namespace {

QString run(const QString &program, const QStringList &args, int *exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput());
}
QString pdfText(const QString &pdf) {
    return run("pdftotext", {"-layout", pdf, "-"})
        .replace(QChar(0xA0), ' ')
        .replace(QRegularExpression("[ \\t]+"), " ");
}
int pdfImages(const QString &pdf) {
    return int(run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).size()) - 2;
}
QByteArray jpeg(QColor colour) {
    QImage img(400, 300, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPEG");
    return out;
}

} // namespace

class TestInventory : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    std::unique_ptr<QTemporaryDir> dir;

    QString outPath(const QString &name) const { return dir->filePath(name); }

    QString db() const { return pf->path() + "/zerizori/rails.trk"; }
    // The four items, the owner, two photos of CL-10 and one of LL-3.
    void fill() {
        seed(*pf);
        pf->exec("INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,Zip,Email,FullName,"
                 "DateAdd) VALUES ('O-1','Lee','Ann','1 Depot Road','Springfield','IL','62701',"
                 "'ann@example.org','Ann Lee','2026-03-01 10:00:00')");
        collection::CollectionData data(db());
        data.addPhoto("CL-10", jpeg(Qt::red), jpeg(Qt::red), "Left side");
        data.addPhoto("CL-10", jpeg(Qt::blue), jpeg(Qt::blue), QString());
        data.addPhoto("LL-3", jpeg(Qt::green), jpeg(Qt::green), QString());
    }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        dir = std::make_unique<QTemporaryDir>();
    }
    void cleanup() {
        const int unexpected = boxes->unexpected();
        QLocale::setDefault(QLocale::c());
        platform::setPaperChoice(QPageSize::Custom);
        reports::setInventoryAsker({});
        collection::setFileChooser({});
        resetProgramState();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
        QCOMPARE(unexpected, 0);
    }

    // What the pages hold, for the choices a user makes.
    void inventoryContents_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("onePerPage");
        QTest::addColumn<bool>("allPhotos");
        QTest::addColumn<int>("kind"); // -1 for all
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("images");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("US, two to a page, all photos")
            << "en_US" << false << true << -1 << 3 << 3 << "letter"
            << QStringList{"CL-2 ", "CL-10 ", "LL-3 ", "SL-4 "};
        QTest::newRow("German, one per page, first photos")
            << "de_DE" << true << false << -1 << 5 << 2 << "A4"
            << QStringList{"CL-2 ", "CL-10 ", "LL-3 ", "SL-4 "};
        QTest::newRow("rolling stock only")
            << "en_GB" << false << true << 0 << 2 << 2 << "A4" << QStringList{"CL-2 ", "CL-10 "};
    }
    void inventoryContents() {
        QFETCH(QString, locale);
        QFETCH(bool, onePerPage);
        QFETCH(bool, allPhotos);
        QFETCH(int, kind);
        QFETCH(int, pages);
        QFETCH(int, images);
        QFETCH(QString, paper);
        QFETCH(QStringList, items);
        QLocale::setDefault(QLocale(locale));
        fill();
        reports::InventoryOptions o;
        o.onePerPage = onePerPage;
        o.allPhotos = allPhotos;
        if (kind >= 0)
            o.kind = ItemKind(kind);
        collection::CollectionData data(db());
        const QString pdf = outPath("inventory.pdf");
        QCOMPARE(reports::writeInventory(data, pdf, o), qint64(items.size()));

        const QString text = pdfText(pdf);
        for (const QString &expected :
             {QString("Ann Lee"), QString("1 Depot Road"), QString("IL 62701"),
              QString("Basis of value"), QString("Page 1 of %1").arg(pages),
              QString("Page %1 of %1").arg(pages)})
            QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
        QVERIFY(!text.contains(QString("Page %1 of").arg(pages + 1)));
        QCOMPARE(text.count(QLocale().toString(platform::now().date(), QLocale::LongFormat)),
                 pages + 1);
        // Natural order, and only the chosen kind.
        qsizetype at = 0;
        for (const QString &id : items) {
            const qsizetype next = text.indexOf(id + QChar(0x2014), at);
            QVERIFY2(next > at, qPrintable(id));
            at = next;
        }
        if (kind == 0)
            QVERIFY(!text.contains("LL-3"));
        // Amounts in the locale's currency: the whole collection's cost 369.50.
        const QString total = QLocale()
                                  .toCurrencyString(369.5, QLocale().currencySymbol(), 2)
                                  .replace(QChar(0xA0), ' ');
        QVERIFY2(kind >= 0 || text.contains(total), qPrintable(total + "\n" + text));
        QCOMPARE(pdfImages(pdf), images);
        QVERIFY2(run("pdfinfo", {pdf}).contains(paper), qPrintable(run("pdfinfo", {pdf})));
    }

    // Never over the collection or one of its names; a cancelled run and a folder that is not
    // there leave nothing behind, and an existing file stays as it was.
    void refusedTargetsLoseNothing_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("the collection") << "db";
        QTest::newRow("a link to it") << "link";
        QTest::newRow("no such folder") << "missing";
        QTest::newRow("cancelled over an old file") << "cancel";
    }
    void refusedTargetsLoseNothing() {
        QFETCH(QString, target);
        fill();
        QString path = outPath("old.pdf");
        if (target == "db")
            path = db();
        else if (target == "link")
            QVERIFY(QFile::link(db(), path = outPath("link.pdf")));
        else if (target == "missing")
            path = outPath("no/such/folder.pdf");
        QFile old(outPath("old.pdf"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        QFile file(db());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        collection::CollectionData data(db());
        bool refused = false;
        try {
            // Only the cancelled run stops by itself; the others must be refused.
            reports::writeInventory(data, path, {},
                                    [&](int done, int) { return target != "cancel" || done < 1; });
        } catch (const platform::Error &) {
            refused = true;
        }
        QVERIFY(refused);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::System).size(),
                 target == "link" ? 2 : 1);
    }

    // railsdb inventory: the kind and one per page; wrong command lines change nothing.
    void railsdbInventory() {
        fill();
        const QString pdf = outPath("cars.pdf");
        int code = -1;
        run(RAILSDB, {"inventory", db(), pdf, "--kind", "cars", "--one-per-page"}, &code);
        QCOMPARE(code, 0);
        const QString text = pdfText(pdf);
        QVERIFY(text.contains("Page 3 of 3") && text.contains("CL-10") && !text.contains("SL-4"));
        for (const QStringList &wrong :
             {QStringList{"inventory", db()}, QStringList{"inventory", db(), pdf, "--kind", "x"},
              QStringList{"inventory", db(), pdf, "--two"}}) {
            run(RAILSDB, wrong, &code);
            QCOMPARE(code, 2);
        }
        run(RAILSDB, {"inventory", db(), db()}, &code);
        QCOMPARE(code, 1);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 4);
    }

    // Browse's "Print What's Shown…": the items the find leaves, the choices of the dialog,
    // then where the file went.
    void printWhatIsShown() {
        fill();
        auto *main = new frmMain;
        main->Form_Load();
        main->show();
        main->findChild<QAction *>("mnuCollectionBrowse")->trigger();
        auto *view =
            qobject_cast<collection::frmCollection *>(main->childWindow("frmCollection")->widget());
        type(view->txtFind, "santa");
        const QString pdf = outPath("shown.pdf");
        reports::setInventoryAsker([](reports::InventoryDialog &d) {
            d.chkOnePerPage->setChecked(true);
            d.optFirstPhoto->setChecked(true);
            d.cboPaper->setCurrentIndex(d.cboPaper->findData(int(QPageSize::A4)));
            return true;
        });
        collection::setFileChooser([&](const collection::FileRequest &) { return pdf; });
        boxes->answer(platform::MsgResult::OK);
        view->cmdPrintShown->click();
        QTRY_COMPARE(boxes->boxes().size(), 1);
        QVERIFY(boxes->boxes()[0].prompt.contains("2 item(s)"));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("Page 3 of 3") && text.contains("CL-10") && text.contains("LL-3") &&
                     !text.contains("SL-4"),
                 qPrintable(text));
        QCOMPARE(pdfImages(pdf), 2);
        QVERIFY(run("pdfinfo", {pdf}).contains("A4"));
    }
};

QTEST_MAIN(TestInventory)
#include "tst_inventory.moc"
