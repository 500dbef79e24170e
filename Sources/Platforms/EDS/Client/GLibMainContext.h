#pragma once

namespace CorlaMeetings {

// Runs what is due in GLib's default main context, through which libecal answers, without
// waiting. Qt's event loop runs that context itself on Linux (its GLib event dispatcher);
// a loop that does not (Qt built without GLib, or QT_NO_GLIB set) calls this every few tens
// of milliseconds instead. Main thread.
void dispatchPendingGLibEvents();

}  // namespace CorlaMeetings
