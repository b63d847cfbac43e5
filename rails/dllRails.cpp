#include "rails/dllRails.h"
#include "rails/BlankTrim.h"

#include "rails/ErrorLog.h"

#include "platform/Clock.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QFileInfo>
#include <dlfcn.h>

using platform::Error;
using platform::MsgBox;

namespace {

const QString kLibraryTitle = QStringLiteral("Vuziz");

QString &folderOverride() {
    static QString f;
    return f;
}

// Values the store writes as they are (untrimmed, the caller's variable left alone) still
// have every single quote doubled, so a maker "O'Brien's" or a type "40' Box Car" is stored as
// typed and no value can end its literal early. A NUL cannot be part of a statement's text:
// such a value fails the operation before anything runs.
QString literal(const QString &value) {
    if (value.contains(QChar(0)))
        throw Error(1, QStringLiteral("Syntax error in query expression: a value holds a NUL "
                                      "character and cannot be written into the statement."));
    QString out = value;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

// The designed update and delete statements name one item by its number; when no row has
// that number nothing was stored or deleted, and the caller must not be told otherwise.
void requireOneRow(engine::Connection &c, const QString &itemId) {
    if (c.changes() == 0)
        throw Error(platform::ErrNoCurrentRecord,
                    QStringLiteral("There is no item numbered %1 in the collection; nothing was "
                                   "changed.")
                        .arg(itemId));
}

// Every value of a writing operation ends up in its statement's text. Text that is not valid
// UTF-16 (an unpaired surrogate) would reach SQLite with that unit turned into '?', so it
// would store another value than the caller's, or match another row's item number: such a
// statement fails before it runs.
void executeValid(engine::Connection &c, const QString &sql) {
    if (!QStringView(sql).isValidUtf16())
        throw Error(5, QStringLiteral("Invalid procedure call or argument: a value holds text "
                                      "that is not valid Unicode (an unpaired surrogate) and "
                                      "cannot be written into the statement."));
    c.Execute(sql);
}

QString &element(QStringList &list, int i) {
    if (i < 0 || i >= list.size())
        throw Error(9, QStringLiteral("Subscript out of range"));
    return list[i];
}

double amount(const QList<double> &list, int i) {
    if (i < 0 || i >= list.size())
        throw Error(9, QStringLiteral("Subscript out of range"));
    return list[i];
}

QString quoted(const QString &v) {
    return QLatin1Char('\'') + v + QStringLiteral("',");
}

QString nowText() {
    return platform::sqlTimestamp(platform::now());
}

} // namespace

QString railsLibraryFolder() {
    if (!folderOverride().isEmpty())
        return folderOverride();
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&railsLibraryFolder), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return QString();
}

void setRailsLibraryFolder(const QString &folder) {
    folderOverride() = folder;
}

// What distinguishes one writing operation from another.
struct dllRails::Operation {
    Operation(QString n, QString label, ItemStatement st = ItemStatement::Insert)
        : name(std::move(n)), logLabel(std::move(label)), statement(st) {}
    QString name;
    QString logLabel;
    ItemStatement statement = ItemStatement::Insert;
    QString numberColumn = QStringLiteral("CarNumber");
    QString colourColumn = QStringLiteral("CarColor");
    QString flags;               // inserts: the five kind flags as they stand in the statement
    bool conditionAndBox = true; // updates of tracks and accessories leave these out
    bool closeFirst = false;     // AddCar closes a connection left open by an earlier failure
    rails::LogEntryKind logKind = rails::LogEntryKind::Operation;
};

dllRails::dllRails() {
    platform::trap(
        [this] {
            strConnect = QStringLiteral("Provider=SQLite;User ID=;");
            strConnect += QStringLiteral("Data Source=") + railsLibraryFolder() +
                          QStringLiteral("/zerizori/rails.trk;");
            strConnect += QStringLiteral("Persist Security Info=False;");
            conDataBase = std::make_shared<engine::Connection>();
            conDataBase->ConnectionString = strConnect;
            conDataBase->ErrorsClear();
            conDataBase->CursorLocation = engine::adUseClient;
        },
        [this](const Error &e) {
            if (conDataBase) {
                conDataBase->ErrorsClear();
                conDataBase.reset();
            }
            MsgBox(QStringLiteral("The database cannot be found!  If the database has been ") +
                       platform::vbCrLf +
                       QStringLiteral("moved it must be relocated back to the original folder! "),
                   platform::critical(), kLibraryTitle);
            rails::writeErrorLog(railsLibraryFolder(),
                                 QStringLiteral("Initialize Database Connection"), e,
                                 rails::LogEntryKind::Creation);
        });
}

dllRails::~dllRails() {
    platform::resumeNext([this] {
        if (conDataBase) {
            conDataBase->ErrorsClear();
            conDataBase.reset();
        }
    });
}

QString dllRails::Clean(QString &strText) {
    QString t = strText;
    int pos = 0;
    while ((pos = int(t.indexOf(QLatin1Char('\''), pos))) >= 0) {
        t.insert(pos + 1, QLatin1Char('\''));
        pos += 2;
    }
    t.remove(QChar(0));
    strText = t;
    return trimBlanks(t);
}

void dllRails::failureBox(const Error &e, const QString &name) {
    strFunction = name;
    MsgBox(platform::errorBoxText(e, QStringLiteral("In the Dynamic Link Library"),
                                  QStringLiteral("Function: ") + name),
           platform::critical(), kLibraryTitle);
}

namespace {
engine::Connection &connection(const std::shared_ptr<engine::Connection> &c) {
    if (!c)
        throw Error(platform::ErrObjectNotSet,
                    QStringLiteral("Object variable or With block variable not set"));
    return *c;
}

// Undoes what an operation left behind. A database that never opened has no transaction to
// roll back and no connection to close; the failure is still reported to the user instead of
// escaping to the caller.
void unwind(const std::shared_ptr<engine::Connection> &c) {
    if (!c)
        return;
    platform::resumeNext([&] {
        if (c->inTransaction())
            c->RollbackTrans();
    });
    platform::resumeNext([&] {
        if (c->State() == engine::Connection::adStateOpen)
            c->Close();
    });
}
} // namespace

bool dllRails::runLogged(const Operation &op, const std::function<bool()> &body) {
    bool result = false;
    platform::trap([&] { result = body(); },
                   [&](const Error &e) {
                       result = false;
                       unwind(conDataBase);
                       rails::writeErrorLog(railsLibraryFolder(), op.logLabel, e, op.logKind);
                       failureBox(e, op.name);
                   });
    return result;
}

RecordsetPtr dllRails::runReported(const QString &name, const QString &sql) {
    RecordsetPtr rs;
    platform::trap(
        [&] {
            auto &c = connection(conDataBase);
            c.Open();
            c.BeginTrans();
            rs = c.Execute(sql);
            c.CommitTrans();
            c.Close();
        },
        [&](const Error &e) {
            unwind(conDataBase);
            failureBox(e, name);
        });
    return rs;
}

RecordsetPtr dllRails::runSilent(const QString &sql) {
    RecordsetPtr rs;
    auto c = conDataBase;
    if (!c)
        return rs;
    platform::resumeNext([&] { c->Open(); });
    platform::resumeNext([&] { c->BeginTrans(); });
    platform::resumeNext([&] { rs = c->Execute(sql); });
    platform::resumeNext([&] { c->CommitTrans(); });
    platform::resumeNext([&] { c->Close(); });
    return rs;
}

bool dllRails::writeItem(const Operation &op, QStringList &strText, QDateTime &datDate,
                         QList<double> &sngMoney) {
    if (op.closeFirst) {
        platform::resumeNext([this] {
            if (conDataBase) {
                conDataBase->ErrorsClear();
                conDataBase->Close();
            }
        });
    }
    return runLogged(op, [&] {
        auto &c = connection(conDataBase);
        c.Open();
        c.BeginTrans();
        QString sql;
        if (op.statement == ItemStatement::Insert) {
            sql = QStringLiteral("INSERT INTO tblMain (ItemID,Manufacturer,RailLine,CarType,");
            sql += op.numberColumn +
                   QStringLiteral(",Gauge,Curve,CarColor,AccquiredFrom,OriginalCost,");
            sql += QStringLiteral("CurrentValue,DateAccquired,DateAdd,FullSet,Car,");
            sql += QStringLiteral("Loco,Track,Accessory,Condition,Box,Notes) VALUES (");
            sql += quoted(literal(element(strText, 0)));
            sql += quoted(literal(element(strText, 1)));
            sql += quoted(Clean(element(strText, 2)));
            sql += quoted(literal(element(strText, 3)));
            sql += quoted(Clean(element(strText, 4)));
            sql += quoted(literal(element(strText, 5)));
            sql += quoted(literal(element(strText, 6)));
            sql += quoted(Clean(element(strText, 7)));
            sql += quoted(Clean(element(strText, 8)));
            sql += platform::sqlAmount(amount(sngMoney, 0)) + QLatin1Char(',');
            sql += platform::sqlAmount(amount(sngMoney, 1)) + QLatin1Char(',');
            sql += quoted(platform::sqlDate(datDate));
            sql += quoted(nowText());
            sql += op.flags;
            sql += quoted(literal(element(strText, 10)));
            sql += quoted(literal(element(strText, 11)));
            sql += QLatin1Char('\'') + Clean(element(strText, 9)) + QStringLiteral("');");
        } else {
            sql = QStringLiteral("UPDATE tblMain SET ");
            sql += QStringLiteral("Manufacturer = '") + literal(element(strText, 1)) +
                   QStringLiteral("',");
            sql +=
                QStringLiteral("RailLine = '") + Clean(element(strText, 2)) + QStringLiteral("',");
            sql +=
                QStringLiteral("CarType = '") + Clean(element(strText, 3)) + QStringLiteral("',");
            sql += op.numberColumn + QStringLiteral(" = '") + Clean(element(strText, 4)) +
                   QStringLiteral("',");
            sql += QStringLiteral("Gauge = '") + Clean(element(strText, 5)) + QStringLiteral("',");
            sql += QStringLiteral("Curve = '") + Clean(element(strText, 6)) + QStringLiteral("',");
            sql += op.colourColumn + QStringLiteral(" = '") + Clean(element(strText, 7)) +
                   QStringLiteral("',");
            sql += QStringLiteral("AccquiredFrom = '") + Clean(element(strText, 8)) +
                   QStringLiteral("',");
            sql += QStringLiteral("OriginalCost = ") + platform::sqlAmount(amount(sngMoney, 0)) +
                   QLatin1Char(',');
            sql += QStringLiteral("CurrentValue = ") + platform::sqlAmount(amount(sngMoney, 1)) +
                   QLatin1Char(',');
            sql += QStringLiteral("DateAccquired = '") + platform::sqlDate(datDate) +
                   QStringLiteral("',");
            sql += QStringLiteral("DateMod = '") + nowText() + QStringLiteral("',");
            if (op.conditionAndBox) {
                sql += QStringLiteral("Condition = '") + literal(element(strText, 10)) +
                       QStringLiteral("',");
                sql += QStringLiteral("Box = '") + literal(element(strText, 11)) +
                       QStringLiteral("',");
            }
            sql += QStringLiteral("Notes = '") + Clean(element(strText, 9)) + QStringLiteral("' ");
            sql += QStringLiteral("WHERE ItemID = '") + literal(element(strText, 0)) +
                   QStringLiteral("';");
        }
        executeValid(c, sql);
        if (op.statement == ItemStatement::Update)
            requireOneRow(c, element(strText, 0));
        c.CommitTrans();
        c.Close();
        return true;
    });
}

namespace {
const QString kFlagsCar = QStringLiteral("'NO','YES','NO','NO','NO',");
const QString kFlagsLoco = QStringLiteral("'NO','NO','YES','NO','NO',");
const QString kFlagsSet = QStringLiteral("'YES','NO','NO','NO','NO',");
} // namespace

bool dllRails::AddCar(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("AddCar"), QStringLiteral("AddCar - DLL Function")};
    op.flags = kFlagsCar;
    op.closeFirst = true;
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::AddLoco(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("AddLoco"), QStringLiteral("AddLoco - DLL Function")};
    op.flags = kFlagsLoco;
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::AddSet(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("AddSet"), QStringLiteral("AddSet - DLL Function")};
    op.flags = kFlagsSet;
    op.numberColumn = QStringLiteral("SetNumber");
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::UpdateCar(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("UpdateCar"), QStringLiteral("UpdateCar - DLL Function"),
                 ItemStatement::Update};
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::UpdateLoco(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("UpdateLoco"), QStringLiteral("UpdateLoco - DLL Function"),
                 ItemStatement::Update};
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::UpdateSet(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("UpdateSet"), QStringLiteral("UpdateSet - DLL Function"),
                 ItemStatement::Update};
    op.numberColumn = QStringLiteral("SetNumber");
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::UpdateTrack(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("UpdateTrack"), QStringLiteral("UpdateTrack - DLL Function"),
                 ItemStatement::Update};
    op.colourColumn = QStringLiteral("Color");
    op.conditionAndBox = false;
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::UpdateAccessory(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney) {
    Operation op{QStringLiteral("UpdateAccessory"),
                 QStringLiteral("UpdateAccessory - DLL Function"), ItemStatement::Update};
    op.colourColumn = QStringLiteral("Color");
    op.conditionAndBox = false;
    return writeItem(op, strText, datDate, sngMoney);
}

bool dllRails::deleteItem(const Operation &op, const QString &question, QString &strID) {
    return runLogged(op, [&] {
        auto &c = connection(conDataBase);
        c.Open();
        c.BeginTrans();
        executeValid(c, QStringLiteral("DELETE FROM tblMain WHERE ItemID = '") + literal(strID) +
                            QStringLiteral("';"));
        requireOneRow(c, strID);
        const auto answer = MsgBox(question + platform::vbCrLf + platform::vbCrLf +
                                       QStringLiteral("Once deleted it can't be recovered!"),
                                   {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                                    platform::MsgDefault::Button2},
                                   QStringLiteral("** WARNING **"));
        bool result;
        if (answer == platform::MsgResult::No) {
            c.RollbackTrans();
            result = false;
            c.Close();
        } else {
            c.CommitTrans();
            c.Close();
            result = true;
        }
        return result;
    });
}

bool dllRails::DeleteCar(QString &strID) {
    return deleteItem({QStringLiteral("DeleteCar"), QStringLiteral("Delete Car - DLL Function")},
                      QStringLiteral("Delete this Rolling Stock Record?"), strID);
}

bool dllRails::DeleteLoco(QString &strID) {
    return deleteItem({QStringLiteral("DeleteLoco"), QStringLiteral("Delete Loco - DLL Function")},
                      QStringLiteral("Delete this Locomotive Record?"), strID);
}

bool dllRails::DeleteSet(QString &strID) {
    return deleteItem(
        {QStringLiteral("DeleteSet"), QStringLiteral("Delete Full Set - DLL Function")},
        QStringLiteral("Delete this Full Set Record?"), strID);
}

bool dllRails::DeleteTrack(QString &strID) {
    return deleteItem(
        {QStringLiteral("DeleteTrack"), QStringLiteral("Delete Track - DLL Function")},
        QStringLiteral("Delete this Track Record?"), strID);
}

bool dllRails::DeleteAccessory(QString &strID) {
    return deleteItem(
        {QStringLiteral("DeleteAccessory"), QStringLiteral("Delete Accessory - DLL Function")},
        QStringLiteral("Delete this Accessory Record?"), strID);
}

RecordsetPtr dllRails::GetNewItemID() {
    return runReported(QStringLiteral("GetNewItemID"),
                       QStringLiteral("SELECT MAX(ID) AS [NewItemID] FROM tblMain"));
}

namespace {
QString listing(const char *flag) {
    return QStringLiteral("SELECT * FROM tblMain WHERE %1 = 'YES' ORDER BY ItemID;")
        .arg(QLatin1String(flag));
}
QString presence(const char *flag) {
    return QStringLiteral("SELECT ItemID FROM tblMain WHERE %1 = 'YES';").arg(QLatin1String(flag));
}
} // namespace

RecordsetPtr dllRails::LoadEditCar() {
    return runReported(QStringLiteral("LoadEditCar"), listing("Car"));
}
RecordsetPtr dllRails::LoadEditLoco() {
    return runReported(QStringLiteral("LoadEditLoco"), listing("Loco"));
}
RecordsetPtr dllRails::LoadEditSet() {
    return runReported(QStringLiteral("LoadEditSet"), listing("FullSet"));
}
RecordsetPtr dllRails::LoadEditTrack() {
    return runReported(QStringLiteral("LoadEditTrack"), listing("Track"));
}
RecordsetPtr dllRails::LoadEditAccessory() {
    return runReported(QStringLiteral("LoadEditAccessory"), listing("Accessory"));
}
RecordsetPtr dllRails::LoadDeleteLoco() {
    return runReported(QStringLiteral("LoadDeleteLoco"), listing("Loco"));
}
RecordsetPtr dllRails::LoadDeleteCar() {
    return runReported(QStringLiteral("LoadDeleteCar"), listing("Car"));
}
RecordsetPtr dllRails::LoadDeleteSet() {
    return runReported(QStringLiteral("LoadDeleteSet"), listing("FullSet"));
}

RecordsetPtr dllRails::RefreshOwner() {
    return runSilent(QStringLiteral("SELECT OwnerID FROM tblOwner;"));
}
RecordsetPtr dllRails::LoadOwner() {
    return runSilent(QStringLiteral("SELECT * FROM tblOwner;"));
}
RecordsetPtr dllRails::RefreshTrains() {
    return runSilent(QStringLiteral("SELECT ItemID FROM tblMain;"));
}
RecordsetPtr dllRails::RefreshCars() {
    return runSilent(presence("Car"));
}
RecordsetPtr dllRails::RefreshLocos() {
    return runSilent(presence("Loco"));
}
RecordsetPtr dllRails::RefreshSets() {
    return runSilent(presence("FullSet"));
}
RecordsetPtr dllRails::RefreshTracks() {
    return runSilent(presence("Track"));
}
RecordsetPtr dllRails::RefreshAccessory() {
    return runSilent(presence("Accessory"));
}

bool dllRails::AddOwner(QStringList &strText) {
    return runLogged({QStringLiteral("AddOwner"), QStringLiteral("AddOwner - DLL Function")}, [&] {
        auto &c = connection(conDataBase);
        c.Open();
        c.BeginTrans();
        QString sql = QStringLiteral("INSERT INTO tblOwner (OwnerID,LName,FName,Address,");
        sql += QStringLiteral("City,State,Zip,Email,FullName,DateAdd) VALUES (");
        sql += quoted(literal(element(strText, 8)));
        for (int i = 0; i <= 7; ++i)
            sql += quoted(Clean(element(strText, i)));
        sql += QLatin1Char('\'') + nowText() + QStringLiteral("');");
        executeValid(c, sql);
        c.CommitTrans();
        c.Close();
        return true;
    });
}

bool dllRails::UpdateOwner(QStringList &strText) {
    Operation op{QStringLiteral("UpdateOwner"), QStringLiteral("UpdateOwner - DLL Function")};
    op.logKind = rails::LogEntryKind::OwnerUpdate;
    return runLogged(op, [&] {
        auto &c = connection(conDataBase);
        c.Open();
        c.BeginTrans();
        QString sql = QStringLiteral("UPDATE tblOwner SET ");
        const std::pair<const char *, int> assignments[] = {
            {"LName", 0}, {"FName", 1}, {"FullName", 7}, {"Address", 2},
            {"City", 3},  {"State", 4}, {"Zip", 5},      {"Email", 6}};
        for (const auto &[column, index] : assignments)
            sql += QLatin1String(column) + QStringLiteral(" = '") + Clean(element(strText, index)) +
                   QStringLiteral("',");
        sql += QStringLiteral("DateMod = '") + nowText() + QStringLiteral("';");
        executeValid(c, sql);
        c.CommitTrans();
        c.Close();
        return true;
    });
}
