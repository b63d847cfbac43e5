#pragma once
// railsdb's commands: the parsed command line each one is handed, the messages they print, and
// the functions that do each command's work (rows of the command table in CommandTable.cpp).
#include "rails/exchange/ItemExchange.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace railsdb {

// The command line once parsed: operands in order, and each option given with its values
// (an option without a value is present with one empty value).
struct Invocation {
    QStringList operands;
    QMap<QString, QStringList> options;
    bool has(const char *option) const { return options.contains(QLatin1String(option)); }
    QString value(const char *option) const {
        return options.value(QLatin1String(option)).value(0);
    }
};

// An error on stderr and a result on stdout, each a line starting as the tool's own.
void err(const QString &text);
void say(const QString &text);
// Prints why the command line is wrong and the commands' forms; returns the exit status 2.
int usage(const QString &why);

// The kind named by --kind, when it is given and names one.
std::optional<ItemKind> kindOption(const Invocation &inv);
// A collection (or a backup to restore) is a file: the reason a folder, a named pipe or a device
// given in its place is refused, before anything opens it.
std::optional<QString> notAFile(const QString &path);
// Standard input or output ("-"), a named pipe or a device.
bool isStream(const QString &path);

// The commands; each returns the exit status.
int createCommand(const Invocation &inv);
int checkCommand(const Invocation &inv);
int backup(const Invocation &inv);
int restore(const Invocation &inv);
int exportFile(const Invocation &inv);
int importFile(const Invocation &inv);

// Runs the command line that follows the program's name.
int run(const QStringList &args);

} // namespace railsdb
