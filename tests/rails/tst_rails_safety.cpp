// What keeps writes off the collection: every target is held against the collection file and
// its journals by device and inode, and only the program's own stale temporaries are removed.
#include "rails/exchange/Collection.h"
#include "rails/exchange/SafeTarget.h"
#include "rails/exchange/Temporaries.h"
#include "tests/support/TestSupport.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString refusal(const QString &db, const QString &target) {
    try {
        exchange::refuseCollectionTarget(db, target);
    } catch (const platform::Error &e) {
        return e.Description();
    }
    return QStringLiteral("accepted");
}

void touch(const QString &path, int ageSeconds) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write("x") != 1 || !f.flush())
        qFatal("cannot write %s", qPrintable(path));
    f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                  QFileDevice::FileModificationTime);
}
} // namespace

class TestRailsSafety : public QObject {
    Q_OBJECT

  private slots:
    void targetsThatReachTheCollectionAreRefused_data() {
        QTest::addColumn<QString>("target"); // relative to the program folder
        QTest::addColumn<QString>("verdict");
        const QString refused = "over the collection itself";
        QTest::newRow("the file") << "zerizori/rails.trk" << refused;
        QTest::newRow("another path") << "zerizori/../zerizori/./rails.trk" << refused;
        QTest::newRow("symbolic link") << "link.csv" << refused;
        QTest::newRow("link to the folder") << "folder-link/rails.trk" << refused;
        QTest::newRow("hard link") << "hard.csv" << refused;
        QTest::newRow("write-ahead log") << "zerizori/rails.trk-wal" << refused;
        QTest::newRow("shared memory") << "zerizori/rails.trk-shm" << refused;
        QTest::newRow("hard link to the write-ahead log") << "hard-wal.csv" << refused;
        QTest::newRow("rollback journal") << "zerizori/rails.trk-journal" << refused;
        QTest::newRow("link to a journal yet to come") << "wal-link.csv" << refused;
        QTest::newRow("a folder") << "zerizori"
                                  << "is a folder";
        QTest::newRow("a pipe") << "pipe.csv"
                                << "is a device or a pipe";
        QTest::newRow("a file beside it") << "zerizori/rails.trk.csv"
                                          << "accepted";
        QTest::newRow("a new file") << "items.csv"
                                    << "accepted";
        QTest::newRow("a copy") << "copy.trk"
                                << "accepted";
    }
    void targetsThatReachTheCollectionAreRefused() {
        QFETCH(QString, target);
        QFETCH(QString, verdict);
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        // While a connection in WAL mode is open, the -wal and -shm files exist.
        sqlite3 *holder = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(db).constData(), &holder), SQLITE_OK);
        const auto closeHolder = qScopeGuard([&] { sqlite3_close(holder); });
        QCOMPARE(sqlite3_exec(holder, "PRAGMA journal_mode = WAL; CREATE TABLE t(x);", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(QFile::exists(db + "-wal"));
        QCOMPARE(::link(QFile::encodeName(db + "-wal").constData(),
                        QFile::encodeName(pf.path() + "/hard-wal.csv").constData()),
                 0);
        QVERIFY(QFile::copy(db, pf.path() + "/copy.trk"));
        QVERIFY(QFile::link(db, pf.path() + "/link.csv"));
        QVERIFY(QFile::link(pf.path() + "/zerizori", pf.path() + "/folder-link"));
        QVERIFY(QFile::link(db + "-wal", pf.path() + "/wal-link.csv"));
        QCOMPARE(::link(QFile::encodeName(db).constData(),
                        QFile::encodeName(pf.path() + "/hard.csv").constData()),
                 0);
        QCOMPARE(mkfifo(QFile::encodeName(pf.path() + "/pipe.csv").constData(), 0600), 0);
        const QString why = refusal(db, pf.path() + "/" + target);
        QVERIFY2(why.contains(verdict), qPrintable(why));
        // The same through a relative name of the collection.
        QDir::setCurrent(pf.path());
        QVERIFY(refusal("zerizori/rails.trk", target).contains(verdict));
    }

    void onlyOwnStaleTemporariesAreRemoved() {
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        const QString folder = pf.path() + "/zerizori";
        const QString backups = exchange::automaticBackupFolder(db);
        QVERIFY(QDir().mkpath(backups));
        const QStringList stale{folder + "/.rails.trk.Ab12Cd.tmp",
                                folder + "/.rails.trk.Ab12Cd.tmp-journal",
                                backups + "/.auto-20260101-080000.trk.x9Y8z7.tmp"};
        const QStringList kept{folder + "/.rails.trk.Ab12Cd.tmp.keep",
                               folder + "/rails.trk.Ab12Cd.tmp", folder + "/.notes.tmp",
                               backups + "/auto-20260101-080000.trk",
                               pf.path() + "/.rails.trk.Zz99Yy.tmp"};
        const QString fresh = folder + "/.rails.trk.Qq11Ww.tmp"; // an operation may be writing it
        for (const QString &f : stale + kept)
            touch(f, 3600);
        touch(fresh, 5);
        QCOMPARE(exchange::removeStaleTemporaries(db), stale.size());
        for (const QString &f : stale)
            QVERIFY2(!QFile::exists(f), qPrintable(f));
        for (const QString &f : kept + QStringList{fresh, db})
            QVERIFY2(QFile::exists(f), qPrintable(f));
    }
};

QTEST_GUILESS_MAIN(TestRailsSafety)
#include "tst_rails_safety.moc"
