#pragma once
// Walks a list from the head or, in reverse, from the tail.

#include "support/DoubleList.h"

class ListIterator {
public:
    explicit ListIterator(const DoubleList& list, bool reverse = false)
        : m_list(list), m_reverse(reverse) {}

    // The first object (from the head or the tail), or null for an empty list.
    RootObject* First();
    // The object after the one last returned, or null at the end.
    RootObject* Next();

    // Index from the walk's start of the object last returned, and of the one before it
    // (-1 when there is none).
    long GetPosition() const { return m_position; }
    long GetLastPosition() const { return m_lastPosition; }

private:
    const DoubleList& m_list;
    ListNode* m_current = nullptr;
    long m_position = -1;
    long m_lastPosition = -1;
    bool m_reverse;
};
