#pragma once
// railsdb inventory DB OUT.pdf [--kind K] [--one-per-page]: the collection inventory with
// photos, as Collection > Collection Inventory… makes it, for scripts and an off-site copy.
#include <QStringList>

// `args` follow the command's name. Returns the exit status: 0 written, 1 failed or refused,
// 2 wrong command line.
int inventoryCommand(const QStringList &args);
