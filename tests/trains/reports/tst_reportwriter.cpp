// A report saved as PDF never lands on the collection, whatever name leads there.
#include "rails/engine/Recordset.h"
#include "tests/support/TestSupport.h"
#include "trains/modGlobal.h"
#include "trains/reports/ReportWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>

class TestReportWriter : public QObject {
    Q_OBJECT

  private slots:
    void pdfIsNeverWrittenOverTheCollection() {
        testing::ProgramFolder pf;
        SetProgramFolder(pf.path());
        const QString db = pf.databasePath();
        QVERIFY(QFile::link(db, pf.path() + "/report.pdf"));
        QFile file(db);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        // A device node of our own standing in for /dev/full: a PDF renamed over it would
        // replace the device.
        const QString device = pf.path() + "/full";
        const bool haveDevice =
            ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0;
        QStringList targets{db, pf.path() + "/report.pdf", db + "-journal"};
        if (haveDevice)
            targets << device;
        for (const QString &target : targets) {
            reports::ReportWriter writer(reports::ReportLayout{},
                                         std::make_shared<engine::Recordset>(),
                                         QStringLiteral("3/14/2026"));
            writer.writePdf(target);
            QVERIFY(!writer.waitForFinished());
            const char *why =
                target == device ? "is a device or a pipe" : "over the collection itself";
            QVERIFY2(writer.failure().contains(why), qPrintable(writer.failure()));
            QVERIFY(!writer.failure().endsWith('.')); // the window's message ends the sentence
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(!QFile::exists(db + "-journal"));
        QVERIFY(!haveDevice || !QFileInfo(device).isFile());
        SetProgramFolder(QString());
    }
};

QTEST_MAIN(TestReportWriter)
#include "tst_reportwriter.moc"
