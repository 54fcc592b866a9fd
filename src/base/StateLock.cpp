#include "base/StateLock.h"

std::recursive_mutex& AppStateLock() {
    static std::recursive_mutex lock;
    return lock;
}
