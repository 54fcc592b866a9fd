#pragma once
// A doubly linked list of object references whose nodes come from the shared node pool.
// It does not own the objects; RootObjectList does.

#include "support/ListNodePool.h"

#include <cstdint>

class DoubleList {
public:
    DoubleList() = default;
    DoubleList(const DoubleList&) = delete;
    DoubleList& operator=(const DoubleList&) = delete;
    // Gives the nodes back; the objects are left alone.
    ~DoubleList();

    ListNode* FindNode(const RootObject* object) const;
    ListNode* Head() const { return m_head; }
    ListNode* Tail() const { return m_tail; }
    uint32_t GetCount() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    // Counts every change of membership or order (indexes compare it).
    uint64_t GetChangeCount() const { return m_changes; }

protected:
    // Each fails (false) when the pool has no node left.
    bool AddTail(RootObject* object);
    bool AddHead(RootObject* object);
    // After the node; a null node means at the head.
    bool InsertAfter(ListNode* node, RootObject* object);
    // Unlinks the node, frees it and returns its object.
    RootObject* RemoveNode(ListNode* node);
    // Moves the node after another (null: to the head).
    void MoveAfter(ListNode* node, ListNode* after);
    void RemoveAllNodes();

private:
    void Link(ListNode* node, ListNode* after);
    void Unlink(ListNode* node);

    ListNode* m_head = nullptr;
    ListNode* m_tail = nullptr;
    uint32_t m_count = 0;
    uint64_t m_changes = 0;
};
