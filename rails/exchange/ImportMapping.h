#pragma once
// Which field each column of a sheet goes to. The fields are named as the export's header row
// names them; a column can also be appended to the notes ("Header: value") or ignored. Guesses
// come from the usual headers collectors write and, for a header nothing knows, from the
// values (a column of dates). Two columns never claim one field silently: the second is marked
// and appended to the notes until the user chooses.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace exchange {

// The columns of an exchange file, in the order export writes them.
enum Field {
    fKind,
    fItemId,
    fMaker,
    fLine,
    fType,
    fNumber,
    fGauge,
    fCurve,
    fColor,
    fFrom,
    fCost,
    fValue,
    fDate,
    fCondition,
    fBox,
    fNotes,
    kFieldCount
};

inline constexpr int kAppendToNotes = -1;
inline constexpr int kIgnore = -2;
// A column going to a field of the collector's has the target kOwnFieldBase + its FieldID.
inline constexpr int kOwnFieldBase = 1 << 20;

// A field of the collector's that a column can go to.
struct OwnField {
    qint64 id = 0;
    QString name;
};

QString fieldHeader(int field); // "Manufacturer", ..., "Notes+" and "-" for the two others
// A field named as the export's header, one of its usual names, "Notes+" or "-".
std::optional<int> fieldFromName(const QString &name);

struct ColumnMap {
    QString header;
    int target = kAppendToNotes; // a Field, kAppendToNotes or kIgnore
    bool guessed = true;         // from the header or values, not chosen
    bool conflict = false;       // it claimed a field an earlier column holds
    QString ownName;             // the collector's field it goes to, by name
};
using Mapping = QList<ColumnMap>;

// Header names this program recognises (for choosing the delimiter).
int knownHeaders(const QStringList &header);

// Guesses every column from its header and (for unknown headers) its sample values. A header
// that names a field of the collector's (as the export writes it) goes to that field.
Mapping guessMapping(const QStringList &header, const QList<QStringList> &samples,
                     const QList<OwnField> &own = {});
// What a column goes to, named as a choice names it ("Gauge", "Notes+", a field's name).
QString targetName(const ColumnMap &column);

// Sets one column by a "Header=Field" choice; false (with `error` set) when the header or the
// field is unknown. Setting a column clears its mark and marks other columns of that field.
bool chooseColumn(Mapping &mapping, const QString &choice, QString *error,
                  const QList<OwnField> &own = {});
void setTarget(Mapping &mapping, int column, int target, const QString &ownName = {});

// The same set of headers, whatever their order: the key a remembered mapping is kept under.
QString mappingKey(const QStringList &header);
// "Header=Field" lines, and back (unknown lines are left out).
QString mappingText(const Mapping &mapping);
void applyMappingText(Mapping &mapping, const QString &text, const QList<OwnField> &own = {});

} // namespace exchange
