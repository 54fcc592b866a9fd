#include "support/DoubleList.h"

DoubleList::~DoubleList() {
    RemoveAllNodes();
}

void DoubleList::Link(ListNode* node, ListNode* after) {
    node->prev = after;
    node->next = after ? after->next : m_head;
    if (node->next)
        node->next->prev = node;
    else
        m_tail = node;
    if (after)
        after->next = node;
    else
        m_head = node;
    ++m_count;
    ++m_changes;
}

void DoubleList::Unlink(ListNode* node) {
    if (node->prev)
        node->prev->next = node->next;
    else
        m_head = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        m_tail = node->prev;
    node->prev = node->next = nullptr;
    --m_count;
    ++m_changes;
}

bool DoubleList::InsertAfter(ListNode* node, RootObject* object) {
    ListNode* fresh = ListNodePool::Instance().Allocate();
    if (!fresh)
        return false;
    fresh->object = object;
    Link(fresh, node);
    return true;
}

bool DoubleList::AddTail(RootObject* object) {
    return InsertAfter(m_tail, object);
}

bool DoubleList::AddHead(RootObject* object) {
    return InsertAfter(nullptr, object);
}

RootObject* DoubleList::RemoveNode(ListNode* node) {
    if (!node)
        return nullptr;
    RootObject* object = node->object;
    Unlink(node);
    ListNodePool::Instance().Free(node);
    return object;
}

void DoubleList::MoveAfter(ListNode* node, ListNode* after) {
    if (!node || node == after || (after ? after->next == node : m_head == node))
        return;
    Unlink(node);
    Link(node, after);
}

ListNode* DoubleList::FindNode(const RootObject* object) const {
    for (ListNode* n = m_head; n; n = n->next)
        if (n->object == object)
            return n;
    return nullptr;
}

void DoubleList::RemoveAllNodes() {
    while (m_head)
        RemoveNode(m_head);
}
