#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <vector>

namespace CorlaMeetings {

// What sway (and i3) offer any program over their IPC socket ($SWAYSOCK, or $I3SOCK), and
// no Wayland protocol offers a client: where the panels are, and a place for a window.
// Each call blocks the calling thread for at most `timeoutMilliseconds`.

// True when the compositor's socket is named in the environment.
bool hasSwayIpc();

// The areas of the workspaces shown now, one per output, each the output less the panels
// (bars) that reserve space on it; empty when nothing answers.
std::vector<QRect> visibleWorkspaceAreas(int timeoutMilliseconds = 250);

// Moves this process's floating window, without border or title bar, so that its top-left
// corner is at `topLeft` (layout coordinates). False when the compositor did not, as when
// the window is not mapped yet.
bool moveOwnWindow(QPoint topLeft, int timeoutMilliseconds = 250);

// The areas in a GET_WORKSPACES reply's JSON payload; empty for anything else.
std::vector<QRect> visibleWorkspaceAreas(const QByteArray& reply);

}  // namespace CorlaMeetings
