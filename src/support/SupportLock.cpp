#include "support/SupportLock.h"

std::recursive_mutex& SupportLock() {
    static std::recursive_mutex lock;
    return lock;
}
