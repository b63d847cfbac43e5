// railsdb: the collection from the command line, for scripts and scheduled backups. It runs
// the same code as the program. Only `railsdb create PATH` makes a new collection, and never
// over an existing file; a mistyped command or option is a usage error that creates nothing.
// Errors go to stderr with a non-zero exit status: 1 when the work failed or was refused, 2
// when the command line is wrong.
//
// The commands are rows of one table (CommandTable.cpp); the collection commands are in
// CollectionCommands.cpp, the CSV ones in ExchangeCommands.cpp, the inventory in
// InventoryCommand.cpp.
#include "tools/Commands.h"

#include "platform/Error.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

int main(int argc, char **argv) {
    // The inventory lays out text: fonts need a GUI application, which needs no screen here.
    // The other commands stay plain console work, with nothing of a GUI on stderr.
    const bool inventory = argc > 1 && qstrcmp(argv[1], "inventory") == 0;
    if (inventory && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(inventory ? new QGuiApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    try {
        return railsdb::run(args);
    } catch (const platform::Error &e) {
        railsdb::err(e.Description());
        return 1;
    } catch (const std::exception &e) {
        railsdb::err(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
