// Backups and restore under misuse and hostile files: what is refused, what a restored file
// holds, which automatic copies are written and which survive their rotation.
#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"
#include "rails/exchange/Collection.h"
#include "tests/support/TestSupport.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <sqlite3.h>

using namespace exchange;
using platform::Error;

namespace {

// Runs SQL on any file through SQLite directly; returns the first column of the last row.
QString sql(const QString &path, const QString &text) {
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8(), &db);
    sqlite3_stmt *st = nullptr;
    QString last;
    const QByteArray all = text.toUtf8();
    const char *tail = all.constData();
    while (*tail && sqlite3_prepare_v2(db, tail, -1, &st, &tail) == SQLITE_OK && st) {
        while (sqlite3_step(st) == SQLITE_ROW)
            last = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return last;
}

QString failure(const std::function<void()> &f) {
    try {
        f();
    } catch (const Error &e) {
        return e.Description();
    }
    return {};
}

QByteArray bytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void stamp(engine::Connection &c, const QString &path) {
    c.ConnectionString = "Provider=SQLite;Data Source=" + path + ";";
    c.Open();
    rails::applySchemaAdditions(c);
    c.Close();
}

QStringList files(const QString &folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

const QString kItems =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
    "INSERT INTO tblMain (ItemID, Car, OriginalCost) SELECT 'CL-' || i, 'YES', i FROM n";

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

  private slots:
    // A file is ours once this version opened it; another program's file is refused by every
    // operation and left as it was.
    void identityIsSetAndForeignFilesAreRefused() {
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        engine::Connection c;
        stamp(c, db);
        QCOMPARE(sql(db, "PRAGMA application_id").toInt(), rails::kApplicationId);
        QCOMPARE(sql(db, "PRAGMA user_version").toInt(), rails::schemaVersion());

        testing::ProgramFolder other;
        const QString foreign = other.databasePath();
        sql(foreign, "PRAGMA application_id = 1234");
        const QByteArray before = bytes(foreign);
        QVERIFY(checkCollection(foreign).reason.contains("another program's file"));
        QVERIFY(
            failure([&] { restoreCollection(db, foreign); }).contains("another program's file"));
        QVERIFY(
            failure([&] { restoreCollection(foreign, db); }).contains("another program's file"));
        QVERIFY(failure([&] {
                    backupCollection(foreign, pf.path() + "/x.trk");
                }).contains("another program's file"));
        QVERIFY(failure([&] {
                    writePreImportBackup(foreign, QDateTime::currentDateTime());
                }).contains("another program's file"));
        QVERIFY(failure([&] { stamp(c, foreign); }).contains("another program"));
        QCOMPARE(bytes(foreign), before);
        QVERIFY(!QFileInfo::exists(automaticBackupFolder(foreign)));

        sql(foreign, "PRAGMA application_id = 0; PRAGMA user_version = 999999");
        QVERIFY(checkCollection(foreign).reason.contains("newer version"));
    }

    // An index whose entries do not match its table passes quick_check but not the
    // integrity check: neither a backup nor a restore takes such a file.
    void damagedIndexFailsBackupAndRestore() {
        testing::ProgramFolder pf, source;
        for (const auto *f : {&pf, &source})
            f->exec(kItems.arg(50));
        const QString damaged = source.databasePath();
        sql(damaged, "CREATE INDEX ixBroken ON tblMain (Notes); PRAGMA writable_schema = ON; "
                     "UPDATE sqlite_master SET sql = 'CREATE INDEX ixBroken ON tblMain (ItemID)' "
                     "WHERE name = 'ixBroken'");
        QCOMPARE(sql(damaged, "PRAGMA quick_check"), QString("ok"));
        const QString copy = pf.path() + "/copy.trk";
        QVERIFY(failure([&] { backupCollection(damaged, copy); }).contains("integrity check"));
        QVERIFY(!QFileInfo::exists(copy));
        const QByteArray before = bytes(pf.databasePath());
        QVERIFY(failure([&] {
                    restoreCollection(pf.databasePath(), damaged);
                }).contains("integrity check"));
        QCOMPARE(bytes(pf.databasePath()), before);
        QVERIFY(!QFileInfo::exists(automaticBackupFolder(pf.databasePath())));
    }

    void restoreRefusesBadSources_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no owner table") << "DROP TABLE tblOwner"
                                        << "no table tblOwner";
        QTest::newRow("negative cost")
            << "UPDATE tblMain SET OriginalCost = -9999999.99 WHERE ItemID = 'CL-2'"
            << "OriginalCost of row 2 of tblMain is not an amount";
        QTest::newRow("text as a value")
            << "UPDATE tblMain SET CurrentValue = 'lots' WHERE ItemID = 'CL-3'"
            << "CurrentValue of row 3 of tblMain is not a number";
        QTest::newRow("blob as notes") << "UPDATE tblMain SET Notes = x'00ff' WHERE ItemID = 'CL-1'"
                                       << "Notes of row 1 of tblMain is not text";
        QTest::newRow("invalid UTF-8") << "UPDATE tblOwner SET LName = CAST(x'41ff42' AS TEXT)"
                                       << "LName of row 1 of tblOwner is not valid UTF-8";
    }
    void restoreRefusesBadSources() {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        testing::ProgramFolder pf, source;
        pf.exec("INSERT INTO tblMain (ItemID) VALUES ('LL-1')");
        source.exec(kItems.arg(3));
        source.exec("INSERT INTO tblOwner (OwnerID, LName) VALUES ('1', 'Smith')");
        source.exec(change);
        const QByteArray before = bytes(pf.databasePath());
        const QString why =
            failure([&] { restoreCollection(pf.databasePath(), source.databasePath()); });
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(bytes(pf.databasePath()), before);
        QCOMPARE(files(pf.path() + "/zerizori"), QStringList({"rails.trk"}));
    }

    // A crafted backup's triggers, view, extra table and index stay behind; the restored file
    // is the program's own schema holding the backup's rows.
    void restoreCarriesOnlyTheProgramsSchema() {
        testing::ProgramFolder pf, crafted, fresh;
        engine::Connection c;
        stamp(c, fresh.databasePath());
        const QString source = crafted.databasePath();
        stamp(c, source);
        crafted.exec(kItems.arg(5));
        crafted.exec("UPDATE sqlite_sequence SET seq = 40 WHERE name = 'tblMain'");
        crafted.exec("DROP TRIGGER trgMainDeletePhotos");
        crafted.exec("CREATE TRIGGER trgMainDeletePhotos AFTER DELETE ON tblMain BEGIN DELETE FROM "
                     "tblOwner; END");
        crafted.exec(
            "CREATE TRIGGER trgEat AFTER INSERT ON tblMain BEGIN DELETE FROM tblMain; END");
        crafted.exec("CREATE VIEW vAll AS SELECT * FROM tblMain");
        crafted.exec("CREATE TABLE junk (b BLOB)");
        crafted.exec("INSERT INTO junk VALUES (randomblob(300000))");
        crafted.exec("CREATE INDEX ixJunk ON junk (b)");
        const CollectionInfo info = checkCollection(source);
        QVERIFY2(info.ok, qPrintable(info.reason));
        QCOMPARE(info.notCarried,
                 QStringList({"2 triggers", "1 view", "1 other table", "1 other index"}));
        QCOMPARE(checkCollection(fresh.databasePath()).notCarried, QStringList());

        QCOMPARE(restoreCollection(pf.databasePath(), source), qint64(5));
        const QString schema =
            "SELECT group_concat(type || ' ' || name || ' ' || ifnull(sql, ''), '|') "
            "FROM (SELECT * FROM sqlite_master ORDER BY type, name)";
        QCOMPARE(pf.scalar(schema).toString(), fresh.scalar(schema).toString());
        QCOMPARE(pf.scalar("PRAGMA journal_mode").toString(), QString("delete"));
        pf.exec("INSERT INTO tblMain (ItemID) VALUES ('CL-6')");
        QCOMPARE(pf.query("SELECT COUNT(*), MAX(ID) FROM tblMain"), QList<QVariantList>({{6, 41}}));
        QVERIFY(QFileInfo(pf.databasePath()).size() < 300000);
    }

    // Another program reading the collection keeps it from being replaced: nothing is written,
    // not even the copy of the current collection.
    void restoreWaitsForNobodyAndWritesNothingWhenBusy() {
        testing::ProgramFolder pf, source;
        pf.exec(kItems.arg(2));
        source.exec(kItems.arg(7));
        sqlite3 *other = nullptr;
        sqlite3_open(pf.databasePath().toUtf8(), &other);
        sqlite3_exec(other, "BEGIN; SELECT COUNT(*) FROM tblMain;", nullptr, nullptr, nullptr);
        for (int i = 0; i < 2; ++i)
            QVERIFY(failure([&] {
                        restoreCollection(pf.databasePath(), source.databasePath());
                    }).contains("in use"));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        QCOMPARE(pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
        QCOMPARE(files(pf.path() + "/zerizori"), QStringList({"rails.trk"}));
        QVERIFY(files(automaticBackupFolder(pf.databasePath())).isEmpty());
    }

    // A collection another program left in WAL mode, its last changes still in the WAL: the
    // kept copy holds them, the restored file holds the backup and nothing of the old WAL.
    void restoreOverWalLeftovers() {
        testing::ProgramFolder pf, source;
        source.exec(kItems.arg(5));
        const QString db = pf.databasePath();
        sqlite3 *writer = nullptr;
        sqlite3_open(db.toUtf8(), &writer);
        sqlite3_exec(writer, "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;", nullptr,
                     nullptr, nullptr);
        sqlite3_exec(writer, kItems.arg(200).toUtf8(), nullptr, nullptr, nullptr);
        // The writer's process dies: its files stay as they are on disk.
        const QString crashed = pf.path() + "/crashed";
        QDir().mkpath(crashed);
        for (const char *suffix : {"", "-wal", "-shm"})
            QVERIFY(QFile::copy(db + suffix, crashed + "/rails.trk" + suffix));
        sqlite3_close(writer);
        const QString live = crashed + "/rails.trk";
        QVERIFY(QFileInfo(live + "-wal").size() > 0);

        QCOMPARE(restoreCollection(live, source.databasePath()), qint64(5));
        QCOMPARE(sql(live, "SELECT COUNT(*) FROM tblMain"), QString("5"));
        QCOMPARE(sql(live, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(files(crashed), QStringList({"rails.trk"}));
        QCOMPARE(sql(newestAutomaticBackup(live), "SELECT COUNT(*) FROM tblMain"), QString("200"));

        // A damaged file SQLite cannot open, a WAL of the former file beside it: both are kept
        // aside as they are, and the WAL never meets the restored file.
        sqlite3_open(live.toUtf8(), &writer);
        sqlite3_exec(writer,
                     "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; UPDATE tblMain SET "
                     "Notes = 'late'",
                     nullptr, nullptr, nullptr);
        const QByteArray late = bytes(live + "-wal");
        sqlite3_close(writer);
        QVERIFY(late.size() > 0);
        QFile garbage(live);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, '\0'));
        garbage.close();
        QFile stray(live + "-wal");
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.write(late);
        stray.close();
        QCOMPARE(restoreCollection(live, source.databasePath()), qint64(5));
        QCOMPARE(sql(live, "SELECT COUNT(*) FROM tblMain"), QString("5"));
        QCOMPARE(sql(live, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(files(crashed), QStringList({"rails.trk"}));
        QCOMPARE(sql(live, "SELECT COUNT(*) FROM tblMain WHERE Notes = 'late'"), QString("0"));
        const QStringList aside = files(automaticBackupFolder(live)).filter("damaged-");
        QVERIFY2(aside.filter(QRegularExpression("^damaged-[-0-9]+\\.trk(-wal)?$")).size() == 2,
                 qPrintable(aside.join(' ')));
    }

    // Restores and imports keep their own copies, each kind its newest ten under names never
    // given twice: the daily copies, the restore's own source and a collector's file named
    // like a copy are never removed by them.
    void copiesBeforeRestoreAndImportKeepTheirOwnPlace() {
        testing::ProgramFolder pf, source;
        const QString db = pf.databasePath();
        source.exec(kItems.arg(9));
        pf.exec(kItems.arg(1));
        const QDateTime t(QDate(2026, 5, 1), QTime(9, 0));
        const QString oldest = writeAutomaticBackup(db, t);
        const QString mine = automaticBackupFolder(db) + "/auto-20200101-000000.trk";
        QVERIFY(QFile::copy(source.databasePath(), mine));        // a collector's own copy
        QCOMPARE(writeAutomaticBackup(db, t.addDays(1)), oldest); // unchanged: no new copy
        for (int i = 0; i < 14; ++i) {
            QCOMPARE(restoreCollection(db, i % 2 ? oldest : mine), qint64(i % 2 ? 1 : 9));
            writePreImportBackup(db, t);
        }
        QStringList kept = files(automaticBackupFolder(db));
        QCOMPARE(kept.filter("auto-"),
                 QStringList({"auto-20200101-000000.trk", QFileInfo(oldest).fileName()}));
        QCOMPARE(kept.filter("pre-restore-").size(), 10);
        QCOMPARE(kept.filter("pre-import-20260501-090000").size(), 10);
        QVERIFY2(kept.contains("pre-import-20260501-090000-14.trk"), qPrintable(kept.join(" ")));
        // Restoring the oldest pre-restore copy keeps it, although its kind is full.
        const QString first =
            automaticBackupFolder(db) + "/" +
            QDir(automaticBackupFolder(db))
                .entryList({"pre-restore-*"}, QDir::Files, QDir::Time | QDir::Reversed)
                .first();
        pf.exec("INSERT INTO tblMain (ItemID) VALUES ('LL-77')");
        restoreCollection(db, first);
        QVERIFY(QFileInfo::exists(first));
        QCOMPARE(files(automaticBackupFolder(db)).filter("pre-restore-").size(), 11);
    }

    // With the clock set back, the newest copy is stamped in the future: a changed collection
    // is still copied, the copy stays, and the next start writes no second one.
    void dailyCopyAfterTheClockWasSetBack() {
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        const QDateTime later(QDate(2026, 9, 20), QTime(8, 0)),
            now(QDate(2026, 9, 10), QTime(8, 0));
        const QString future = writeAutomaticBackup(db, later);
        pf.exec(kItems.arg(3));
        QVERIFY(!automaticBackupDue(db, later.addSecs(3600)));
        QVERIFY(automaticBackupDue(db, now));
        const QString copy = writeAutomaticBackup(db, now);
        QVERIFY(copy != future);
        QCOMPARE(sql(copy, "SELECT COUNT(*) FROM tblMain"), QString("3"));
        QVERIFY(automaticBackupDue(db, now.addSecs(60)));
        QCOMPARE(writeAutomaticBackup(db, now.addSecs(60)), copy);
        QCOMPARE(files(automaticBackupFolder(db)),
                 QStringList({QFileInfo(copy).fileName(), QFileInfo(future).fileName()}));
    }

    // The spread of daily copies over a year and a half of changing collection: the last 7
    // days, 4 weeks and 12 months that have one, and the copy holding the most items.
    void dailyCopiesKeepASpread() {
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        pf.exec(kItems.arg(500));
        QDateTime t(QDate(2025, 1, 1), QTime(7, 30));
        writeAutomaticBackup(db, t); // the fullest copy
        pf.exec("DELETE FROM tblMain WHERE ID > 1");
        const QString mine = automaticBackupFolder(db) + "/auto-20240101-000000.trk";
        QVERIFY(QFile::copy(db, mine)); // a collector's own copy: never the program's to remove
        for (int day = 1; day < 540; day += 3) {
            pf.exec(QString("UPDATE tblMain SET Notes = 'day %1'").arg(day));
            writeAutomaticBackup(db, t.addDays(day));
        }
        QCOMPARE(
            files(automaticBackupFolder(db)),
            QStringList(
                {"auto-20240101-000000.trk", "auto-20250101-073000.trk", "auto-20250731-073000.trk",
                 "auto-20250830-073000.trk", "auto-20250929-073000.trk", "auto-20251029-073000.trk",
                 "auto-20251128-073000.trk", "auto-20251231-073000.trk", "auto-20260130-073000.trk",
                 "auto-20260226-073000.trk", "auto-20260331-073000.trk", "auto-20260430-073000.trk",
                 "auto-20260530-073000.trk", "auto-20260605-073000.trk", "auto-20260608-073000.trk",
                 "auto-20260611-073000.trk", "auto-20260614-073000.trk", "auto-20260617-073000.trk",
                 "auto-20260620-073000.trk", "auto-20260623-073000.trk"}));
    }

    // What a killed copy or restore left is removed at the next start once it is an hour
    // old; a copy still being written and the collector's own files stay.
    void staleTemporariesAreRemoved() {
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        const QString z = pf.path() + "/zerizori/", b = automaticBackupFolder(db) + "/";
        QDir().mkpath(b);
        const QDateTime now = QDateTime::currentDateTime();
        const QStringList stale{z + ".rails.trk.AbC123.tmp", b + ".auto-.trk.Qw3rty.tmp",
                                b + ".pre-restore-.trk.x1Y2z3.tmp-journal"};
        const QStringList kept{z + ".rails.trk.Fresh1.tmp", z + ".rails.trk.notes", z + "notes.tmp",
                               b + ".holiday.trk.AbC123.tmp"};
        for (const QString &f : stale + kept) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (!f.contains("Fresh1"))
                QVERIFY(file.setFileTime(now.addSecs(-7200), QFileDevice::FileModificationTime));
        }
        removeStaleTemporaries(db, now);
        for (const QString &f : stale)
            QVERIFY2(!QFileInfo::exists(f), qPrintable(f));
        for (const QString &f : kept)
            QVERIFY2(QFileInfo::exists(f), qPrintable(f));
        QVERIFY(QFileInfo::exists(db));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
