#include "support/ListIterator.h"

RootObject* ListIterator::First() {
    m_current = m_reverse ? m_list.Tail() : m_list.Head();
    m_lastPosition = -1;
    m_position = m_current ? 0 : -1;
    return m_current ? m_current->object : nullptr;
}

RootObject* ListIterator::Next() {
    if (!m_current)
        return nullptr;
    m_current = m_reverse ? m_current->prev : m_current->next;
    m_lastPosition = m_position;
    m_position = m_current ? m_position + 1 : -1;
    return m_current ? m_current->object : nullptr;
}
