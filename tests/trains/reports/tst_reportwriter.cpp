// A report saved as PDF never lands on the collection, whatever name leads there.
#include "rails/engine/Recordset.h"
#include "tests/support/TestSupport.h"
#include "trains/modGlobal.h"
#include "trains/reports/ReportWriter.h"

#include <QFile>
#include <QTest>

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
        for (const QString& target : {db, pf.path() + "/report.pdf", db + "-journal"}) {
            reports::ReportWriter writer(reports::ReportLayout{}, std::make_shared<engine::Recordset>(),
                                         QStringLiteral("3/14/2026"));
            writer.writePdf(target);
            QVERIFY(!writer.waitForFinished());
            QVERIFY2(writer.failure().contains("over the collection itself"), qPrintable(writer.failure()));
            QVERIFY(!writer.failure().endsWith('.')); // the window's message ends the sentence
        }
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(!QFile::exists(db + "-journal"));
        SetProgramFolder(QString());
    }
};

QTEST_MAIN(TestReportWriter)
#include "tst_reportwriter.moc"
