// Ravazo: the windowed program of Quillon.
#include "trains/modGlobal.h"
#include "trains/shell/frmMain.h"
#include "trains/shell/modMain.h"

#include "platform/Memory.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[]) {
    platform::shareOneHeap();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quillon"));
    app.setOrganizationName(QStringLiteral("Orvanne Software"));
    app.setWindowIcon(QIcon(ProgramFolder() + QStringLiteral("/images/loco.svg")));
    // The main window's closing ends the program through its own shutdown.
    app.setQuitOnLastWindowClosed(false);
    Main();
    if (!MainForm() || !MainForm()->isVisible())
        return 0;
    return app.exec();
}
