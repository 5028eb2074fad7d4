// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the high-score list lives. Beside the program when the program folder can be
// written; otherwise (an installed copy under /usr or /opt, a read-only medium, a shared
// sticky folder whose list belongs to another account) in the player's data folder,
// $XDG_DATA_HOME/tavik (by default ~/.local/share/tavik).

#include <QString>

namespace tavik {

// The folder the list falls back to when the program folder cannot take it.
QString playerDataFolder();

// The list file the game end writes and the trophy shows, for this program folder.
QString highScorePath(const QString& programFolder);

} // namespace tavik
