#pragma once
// The support library's own lock: the node pool, the type registry and the gas and unit
// registries. It never waits on anything else while held.

#include <mutex>

std::recursive_mutex& SupportLock();

using SupportGuard = std::lock_guard<std::recursive_mutex>;
