#pragma once
// For the length of one configuration load, the fresh object IDs that the new objects'
// constructors draw are checked against a set (the IDs of the configuration in memory, and
// every ID handed out since) instead of a walk over the three lists per object, which made
// loading a large network quadratic.

#include "app/VANTIQApp.h"

#include <cstdint>
#include <unordered_set>

class FreshIdScope {
public:
    explicit FreshIdScope(CVANTIQApp& app);
    ~FreshIdScope();
    FreshIdScope(const FreshIdScope&) = delete;
    FreshIdScope& operator=(const FreshIdScope&) = delete;

private:
    std::unordered_set<uint32_t> m_taken;
    CVANTIQApp::IdClaim m_previous;
};
