#pragma once
// The collection store: one object owns the connection to the collection database and every
// statement that reads or changes it. Each operation opens and closes the database itself, so
// no connection or transaction lives between calls. The store shows its own failure and
// delete-confirmation messages and writes its own error-log entries.
#include "rails/engine/Connection.h"
#include "rails/engine/Recordset.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#if defined(VUZIZ_BUILD)
#define VUZIZ_EXPORT __attribute__((visibility("default")))
#else
#define VUZIZ_EXPORT
#endif

using engine::Recordset;
using RecordsetPtr = std::shared_ptr<engine::Recordset>;

class VUZIZ_EXPORT dllRails {
  public:
    dllRails();
    ~dllRails();
    dllRails(const dllRails &) = delete;
    dllRails &operator=(const dllRails &) = delete;

    // Items: strText holds twelve texts (item number, manufacturer, rail line, type, number,
    // gauge, curve, colour, acquired from, notes, condition, box), sngMoney the original cost
    // and the current value, datDate the date acquired.
    bool AddCar(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool UpdateCar(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool DeleteCar(QString &strID);
    bool AddLoco(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool AddSet(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool DeleteLoco(QString &strID);
    bool DeleteSet(QString &strID);
    bool DeleteTrack(QString &strID);
    bool DeleteAccessory(QString &strID);
    RecordsetPtr GetNewItemID();
    RecordsetPtr LoadOwner();
    RecordsetPtr LoadEditCar();
    RecordsetPtr LoadEditLoco();
    RecordsetPtr LoadEditSet();
    RecordsetPtr LoadEditTrack();
    RecordsetPtr LoadEditAccessory();
    RecordsetPtr LoadDeleteLoco();
    RecordsetPtr LoadDeleteCar();
    RecordsetPtr LoadDeleteSet();
    RecordsetPtr RefreshOwner();
    RecordsetPtr RefreshTrains();
    RecordsetPtr RefreshCars();
    RecordsetPtr RefreshLocos();
    RecordsetPtr RefreshSets();
    RecordsetPtr RefreshTracks();
    RecordsetPtr RefreshAccessory();
    // Owner: strText holds nine texts (last name, first name, address, city, state, zip,
    // e-mail, full name, owner key).
    bool AddOwner(QStringList &strText);
    bool UpdateOwner(QStringList &strText);
    bool UpdateLoco(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool UpdateSet(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool UpdateTrack(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);
    bool UpdateAccessory(QStringList &strText, QDateTime &datDate, QList<double> &sngMoney);

    // Doubles single quotes and removes NUL characters; the caller's variable takes the
    // changed text, the result is also trimmed of blanks.
    QString Clean(QString &strText);

    std::shared_ptr<engine::Connection> conDataBase;
    QString strFunction;
    QString strConnect;

  private:
    struct Operation; // what one writing operation names, labels and writes
    enum class ItemStatement { Insert, Update };
    bool writeItem(const Operation &op, QStringList &strText, QDateTime &datDate,
                   QList<double> &sngMoney);
    bool deleteItem(const Operation &op, const QString &question, QString &strID);
    bool runLogged(const Operation &op, const std::function<bool()> &body);
    RecordsetPtr runReported(const QString &name, const QString &sql);
    RecordsetPtr runSilent(const QString &sql);
    void failureBox(const platform::Error &e, const QString &name);
};

// The folder that holds the store library; the database and error.log are found below it.
VUZIZ_EXPORT QString railsLibraryFolder();
// Points the store at another folder (tests and tools use a temporary program folder).
VUZIZ_EXPORT void setRailsLibraryFolder(const QString &folder);
