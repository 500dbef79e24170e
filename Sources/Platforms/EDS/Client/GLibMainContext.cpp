#include "EDS/Client/GLibMainContext.h"

#include <glib.h>

namespace CorlaMeetings {

void dispatchPendingGLibEvents() {
  // Bounded: a source that is always ready must not keep the caller's loop from its own work.
  for (int i = 0; i < 100 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

}  // namespace CorlaMeetings
