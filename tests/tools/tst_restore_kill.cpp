// A restore killed at any moment leaves the old or the new collection, whole; also when the
// old collection was left in WAL mode by a writer that died with its changes in the WAL.
// The moments are drawn from a seed that is printed; QUILLON_KILL_SEED=<seed> repeats a run.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sqlite3.h>

namespace {

QString one(const QString &db, const char *sql) {
    sqlite3 *h = nullptr;
    sqlite3_open_v2(db.toUtf8(), &h, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    const QString v =
        sqlite3_step(st) == SQLITE_ROW
            ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)))
            : QString("error");
    sqlite3_finalize(st);
    sqlite3_close(h);
    return v;
}

QString collection(const QString &path, int items) {
    // The plain form creates nothing where a create command is asked for.
    if (QProcess::execute(RAILSDB, {path}) != 0 &&
        QProcess::execute(RAILSDB, {"create", path}) != 0)
        qFatal("railsdb could not create %s", qPrintable(path));
    sqlite3 *h = nullptr;
    sqlite3_open(path.toUtf8(), &h);
    const QByteArray sql =
        QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %1) "
                "INSERT INTO tblMain (ItemID, Car, Notes) SELECT 'CL-'||i, 'YES', "
                "hex(randomblob(150)) FROM n;")
            .arg(items)
            .toUtf8();
    sqlite3_exec(h, sql, nullptr, nullptr, nullptr);
    sqlite3_close(h);
    return path;
}

// Leaves `db` as a writer in WAL mode leaves it when it is killed: seven new items only in
// the WAL, the WAL index beside it.
void leaveWalBehind(const QString &db) {
    const QString snapshot = db + ".snapshot";
    sqlite3 *h = nullptr;
    sqlite3_open(db.toUtf8(), &h);
    sqlite3_exec(h,
                 "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; "
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 7) "
                 "INSERT INTO tblMain (ItemID) SELECT 'WAL-'||i FROM n;",
                 nullptr, nullptr, nullptr);
    for (const char *s : {"", "-wal", "-shm"}) {
        QFile::remove(snapshot + s);
        QFile::copy(db + s, snapshot + s);
    }
    sqlite3_close(h);
    for (const char *s : {"", "-wal", "-shm"}) {
        QFile::remove(db + s);
        QFile::rename(snapshot + s, db + s);
    }
}

} // namespace

class TestRestoreKill : public QObject {
    Q_OBJECT

  private slots:
    void restoreKilledAtRandomMomentsLeavesAWholeCollection_data() {
        QTest::addColumn<bool>("walLeftovers");
        QTest::newRow("rollback journal") << false;
        QTest::newRow("WAL left by a killed writer") << true;
    }
    void restoreKilledAtRandomMomentsLeavesAWholeCollection() {
        QFETCH(bool, walLeftovers);
        const quint32 seed = qEnvironmentVariableIsSet("QUILLON_KILL_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("QUILLON_KILL_SEED"))
                                 : QRandomGenerator::global()->generate();
        qInfo("kill moments drawn with QUILLON_KILL_SEED=%u", seed);
        QRandomGenerator random(seed);
        QTemporaryDir dir;
        const QString db = collection(dir.path() + "/rails.trk", 20000);
        const QString sources[] = {collection(dir.path() + "/a.trk", 20000),
                                   collection(dir.path() + "/b.trk", 30000)};
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(QProcess::execute(RAILSDB, {"restore", db, sources[1]}), 0);
        const qint64 full = std::max<qint64>(timer.elapsed(), 5);
        int killedMidway = 0;
        for (int i = 0; i < 20; ++i) {
            if (walLeftovers)
                leaveWalBehind(db);
            const QString before = one(db, "SELECT COUNT(*) FROM tblMain");
            const int source = i % 2;
            QProcess p;
            p.start(RAILSDB, {"restore", db, sources[source]});
            QVERIFY(p.waitForStarted());
            QThread::msleep(random.bounded(int(full * 12 / 10) + 1));
            if (p.state() == QProcess::Running) {
                p.kill(); // SIGKILL
                ++killedMidway;
            }
            p.waitForFinished();
            QCOMPARE(one(db, "PRAGMA integrity_check"), QString("ok"));
            const QString count = one(db, "SELECT COUNT(*) FROM tblMain");
            const QString walRows =
                one(db, "SELECT COUNT(*) FROM tblMain WHERE ItemID LIKE 'WAL-%'");
            const bool isOld = count == before;
            const bool isNew = count == QString::number(source ? 30000 : 20000) && walRows == "0";
            QVERIFY2(
                isOld || isNew,
                qPrintable(QString("round %1 (seed %2): %3 items, %4 from the old WAL, %5 before")
                               .arg(i)
                               .arg(seed)
                               .arg(count, walRows, before)));
        }
        QVERIFY2(killedMidway >= 6, qPrintable(QString::number(killedMidway)));
    }
};

QTEST_GUILESS_MAIN(TestRestoreKill)
#include "tst_restore_kill.moc"
