// A collector's own spreadsheet, typed over years and saved from a German and a US locale:
// their own headers, blank cells, their locale's dates and amounts, kind words of their own,
// and three rows that cannot be items. Only those three are refused, every date and amount
// lands as typed, nothing in an unknown column is lost, and a second import adds nothing.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

namespace {

struct Expected {
    QString number;     // the road or set number, unique per row
    QString date;       // ISO, or empty when the cell is blank
    QVariant cost;      // null when the cell is blank
    QString provenance; // the text of a column no field claims
};

struct Sheet {
    QByteArray text;
    QList<Expected> rows;
};

QString field(const QString &v, QChar sep) {
    if (v.contains(sep) || v.contains('"') || v.contains('\n'))
        return '"' + QString(v).replace("\"", "\"\"") + '"';
    return v;
}

// 300 rows whose formats vary as hand-typed sheets do, then three impossible rows.
Sheet collectorsSheet(bool german) {
    const QChar sep = german ? ';' : ',';
    const QStringList kinds = {"Wagon", "Coach", "Engine", "Locomotive", "Train set", "Car", "Set"};
    const QStringList makers = {"Märklin", "marklin", "Roco", "Fleischmann", "O'Brien's", "LGB"};
    const QStringList types = {"40' Box Car", "Hopper", "Diesel; rebuilt", "Tank \"Esso\""};
    Sheet s;
    QStringList lines = {QStringList{"Type of item", "Make", "Description", "Road No.", "Scale",
                                     "Purchased", "Price paid", "Boxed", "Provenance", "Notes",
                                     "Cat. No.", "Shelf"}
                             .join(sep)};
    for (int i = 0; i < 300; ++i) {
        const QDate d(1985 + i % 40, 1 + i % 12, 1 + i % 28);
        const double cost = (i * 37 % 2500) + (i % 100) / 100.0;
        QString dateText, costText;
        switch (i % 4) {
        case 0:
            dateText = d.toString(german ? "dd.MM.yy" : "M/d/yy");
            break;
        case 1:
            dateText = d.toString(german ? "d.M.yyyy" : "MM/dd/yyyy");
            break;
        case 2:
            dateText = d.toString(Qt::ISODate);
            break;
        default:
            break; // never noted
        }
        const QString plain = QString::number(cost, 'f', 2);
        switch (i % 3) {
        case 0:
            costText = german ? QLocale(QLocale::German).toString(cost, 'f', 2) + " €"
                              : "$" + QLocale(QLocale::English).toString(cost, 'f', 2);
            break;
        case 1:
            costText = german ? "EUR " + QString(plain).replace('.', ',') : "USD " + plain;
            break;
        default:
            break;
        }
        const QString number = QString::number(1000 + i);
        const QString provenance = i % 5 ? QString("from uncle's loft, box %1").arg(i) : QString();
        s.rows.append({number, dateText.isEmpty() ? QString() : d.toString(Qt::ISODate),
                       costText.isEmpty() ? QVariant() : QVariant(cost), provenance});
        const QStringList cells = {kinds[i % kinds.size()],
                                   makers[i % makers.size()],
                                   types[i % types.size()],
                                   number,
                                   QStringList{"HO", "ho gauge", "N", "On30", ""}[i % 5],
                                   dateText,
                                   costText,
                                   german ? QStringList{"Ja", "Nein", ""}[i % 3]
                                          : QStringList{"Yes", "n", ""}[i % 3],
                                   provenance,
                                   i % 7 ? QString() : "line one\nline two",
                                   "4" + number,
                                   QStringLiteral("Shelf %1").arg(i % 9)};
        QStringList quoted;
        for (const QString &c : cells)
            quoted << field(c, sep);
        lines << quoted.join(sep);
    }
    const QString badDate = german ? "31.02.2019" : "2/31/2019";
    lines << QStringList{"Wagon", "", "", "", "", "", "", "", "", "", "", ""}.join(sep)
          << QStringList{"Wagon", "Roco", "Hopper", "9001", "HO", badDate, "", "", "", "", "", ""}
                 .join(sep)
          << QStringList{"Wagon", "Roco", "Hopper", "9002", "HO", "", "twelve", "", "", "", "", ""}
                 .join(sep);
    s.text = lines.join("\r\n").toUtf8() + "\r\n";
    return s;
}

struct Run {
    int code;
    QString err;
};

Run railsdb(const QStringList &args) {
    QProcess p;
    p.start(RAILSDB, args);
    const bool ended = p.waitForFinished(60000);
    return {ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

// Reads through SQLite itself, not through the code under test.
QList<QVariantList> rows(const QString &db, const char *sql) {
    sqlite3 *h = nullptr;
    QList<QVariantList> out;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                QVariantList r;
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    if (sqlite3_column_type(st, c) == SQLITE_NULL)
                        r << QVariant();
                    else if (sqlite3_column_type(st, c) == SQLITE_FLOAT ||
                             sqlite3_column_type(st, c) == SQLITE_INTEGER)
                        r << sqlite3_column_double(st, c);
                    else
                        r << QString::fromUtf8(
                            reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
                }
                out << r;
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    return out;
}

} // namespace

class TestSheet : public QObject {
    Q_OBJECT

  private slots:
    void aCollectorsSheetComesInAsTyped_data() {
        QTest::addColumn<bool>("german");
        QTest::newRow("German locale") << true;
        QTest::newRow("US locale") << false;
    }
    void aCollectorsSheetComesInAsTyped() {
        QFETCH(bool, german);
        QTemporaryDir dir;
        const QString db = dir.filePath("rails.trk");
        const QString csv = dir.filePath("sheet.csv");
        const Sheet sheet = collectorsSheet(german);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(sheet.text);
        f.close();
        QCOMPARE(railsdb({"create", db}).code, 0);
        const QStringList import = {"import", db, csv, "--map", "Type of item=Kind"};

        // Without --skip-bad the three impossible rows (the file's last three lines; notes
        // with line breaks make the file longer than its rows) stop the import, named by line.
        const Run refused = railsdb(import);
        QCOMPARE(refused.code, 1);
        const int lines = sheet.text.count('\n');
        for (int line = lines - 2; line <= lines; ++line)
            QVERIFY2(refused.err.contains(QString(":%1:").arg(line)), qPrintable(refused.err));
        QCOMPARE(refused.err.count(QRegularExpression(":\\d+:")), 3);
        QCOMPARE(rows(db, "SELECT COUNT(*) FROM tblMain")[0][0].toInt(), 0);

        QCOMPARE(railsdb(import + QStringList{"--skip-bad"}).code, 0);
        QCOMPARE(rows(db, "SELECT COUNT(*) FROM tblMain")[0][0].toInt(), 300);
        const auto stored = rows(db, "SELECT COALESCE(CarNumber, SetNumber), DateAccquired, "
                                     "OriginalCost, Notes, Manufacturer FROM tblMain");
        QHash<QString, QVariantList> byNumber;
        for (const QVariantList &r : stored)
            byNumber.insert(r[0].toString(), r);
        for (const Expected &e : sheet.rows) {
            const QVariantList r = byNumber.value(e.number);
            QVERIFY2(!r.isEmpty(), qPrintable(e.number));
            QCOMPARE(r[1].toString().left(10), e.date);
            QCOMPARE(r[2].isNull(), e.cost.isNull());
            if (!e.cost.isNull())
                QCOMPARE(r[2].toDouble(), e.cost.toDouble());
            if (!e.provenance.isEmpty())
                QVERIFY2(r[3].toString().contains("Provenance: " + e.provenance),
                         qPrintable(r[3].toString()));
        }
        // A value the designed list spells otherwise is stored as the list spells it; a maker
        // of the collector's own comes in as typed, quote and all.
        QVERIFY(!rows(db, "SELECT 1 FROM tblMain WHERE Manufacturer = 'O''Brien''s'").isEmpty());
        QCOMPARE(rows(db, "SELECT DISTINCT Manufacturer FROM tblMain WHERE Manufacturer "
                          "COLLATE BINARY IN ('Marklin', 'marklin', 'Märklin')"),
                 QList<QVariantList>{{QString("Marklin")}});

        // The catalogue number and the shelf go to the collector's two ready fields.
        QCOMPARE(rows(db, "SELECT COUNT(*) FROM tblFieldValue v JOIN tblMain m ON "
                          "m.ItemID = v.ItemID WHERE v.Value IN ('4' || "
                          "COALESCE(m.CarNumber, m.SetNumber), 'Shelf 4')")[0][0]
                     .toInt(),
                 300 + 300 / 9);

        // The same sheet again adds nothing.
        QCOMPARE(railsdb(import + QStringList{"--skip-bad"}).code, 0);
        QCOMPARE(rows(db, "SELECT COUNT(*) FROM tblMain")[0][0].toInt(), 300);
    }
};

QTEST_GUILESS_MAIN(TestSheet)
#include "tst_sheet.moc"
