#pragma once
// The application state lock: one re-entrant mutex that guards every shared field of the
// model (names, lists, instrument, site and transport fields, settings, the log). Take it
// for the duration of one accessor only; never while waiting on a link or showing a window.

#include <mutex>

std::recursive_mutex& AppStateLock();

using StateGuard = std::lock_guard<std::recursive_mutex>;
