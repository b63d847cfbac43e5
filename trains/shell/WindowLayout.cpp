// Placing the child windows: the Windows menu's cascade, tiles and icon rows, and a report
// spread over the client area with its whole toolbar in view.
#include "trains/shell/frmMain.h"

#include "platform/Error.h"

#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

using platform::resumeNext;

void frmMain::fitToClientArea(QMdiSubWindow *sub) {
    QWidget *report = sub->widget();
    if (!report)
        return;
    // Every toolbar button is to show: the window needs room for the toolbar's whole width.
    const auto *bar = report->findChild<QToolBar *>();
    const int frame = sub->width() - report->width();
    const auto shortBy = [&] {
        const int needed =
            std::max(sub->minimumSizeHint().width(), bar ? bar->sizeHint().width() + frame : 0);
        return needed - roomBeside(sub).width();
    };
    // The main window widens for it as far as the screen allows.
    if (shortBy() > 0 && windowState() == Qt::WindowNoState) {
        const int room = screen()->availableGeometry().right() - frameGeometry().right();
        resize(width() + std::clamp(room, 0, shortBy()), height());
        layout()->activate(); // the client area takes the new width now, not at the next paint
    }
    // Still too narrow: the buttons show by their pictures (captions stay as tips) rather than
    // the last ones hiding behind a "more" arrow.
    if (shortBy() > 0)
        for (QToolBar *b : report->findChildren<QToolBar *>())
            b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QSize area = roomBeside(sub);
    sub->setMinimumSize(sub->minimumSizeHint().boundedTo(area));
    sub->setGeometry(QRect(QPoint(0, 0), area));
}

QSize frmMain::roomBeside(const QMdiSubWindow *sub) const {
    // The client area less the scroll bars that the other windows will call for.
    QSize room = mdi_->contentsRect().size();
    QRect others;
    for (const QMdiSubWindow *w : mdi_->subWindowList())
        if (w != sub && !w->isHidden() && !w->isMinimized())
            others |= w->geometry();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool right = false, below = false;
    for (int pass = 0; pass < 2; ++pass) { // one bar's room can call for the other
        if (!below && others.bottom() >= room.height()) {
            below = true;
            room.rwidth() -= bar;
        }
        if (!right && others.right() >= room.width()) {
            right = true;
            room.rheight() -= bar;
        }
    }
    return room;
}

void frmMain::mnuWindowCascade_Click() {
    resumeNext([this] { mdi_->cascadeSubWindows(); });
}

void frmMain::tileSideBySide(bool sideBySide) {
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *sub : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    const QRect area = mdi_->viewport()->rect();
    const int n = int(windows.size());
    // A window that needs more than its share keeps its size and pushes the next one along;
    // the area scrolls to what lies beyond.
    QPoint at = area.topLeft();
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        const QSize share = sideBySide ? QSize(area.width() / n, area.height())
                                       : QSize(area.width(), area.height() / n);
        const QRect r(at, share.expandedTo(windows[i]->minimumSize()));
        windows[i]->setGeometry(r);
        if (sideBySide)
            at.rx() += r.width();
        else
            at.ry() += r.height();
    }
}

void frmMain::mnuWindowV_Click() {
    resumeNext([this] { tileSideBySide(true); });
}

void frmMain::mnuWindowH_Click() {
    resumeNext([this] { tileSideBySide(false); });
}

void frmMain::mnuWindowArrangeIcons_Click() {
    resumeNext([this] {
        // Minimised child windows line up from the bottom left, row above row.
        const QRect area = mdi_->viewport()->rect();
        int x = area.left();
        int y = area.bottom();
        for (QMdiSubWindow *sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
            if (!sub->isMinimized())
                continue;
            const QSize s = sub->size();
            if (x > area.left() && x + s.width() > area.right()) {
                x = area.left();
                y -= s.height();
            }
            sub->move(x, y - s.height() + 1);
            x += s.width();
        }
    });
}
