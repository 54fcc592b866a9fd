#include "support/ListNodePool.h"

#include "support/SupportLock.h"

#include <algorithm>

ListNodePool& ListNodePool::Instance() {
    // Never destroyed, so lists that are themselves static can give their nodes back at exit.
    static ListNodePool* pool = new ListNodePool;
    return *pool;
}

ListNode* ListNodePool::Allocate() {
    SupportGuard guard(SupportLock());
    if (!m_free) {
        if (m_blocks.size() * kBlockNodes >= kCeiling)
            return nullptr;
        m_blocks.push_back(std::make_unique<ListNode[]>(kBlockNodes));
        ListNode* block = m_blocks.back().get();
        for (size_t i = 0; i < kBlockNodes; ++i) {
            block[i].next = m_free;
            m_free = &block[i];
        }
    }
    ListNode* node = m_free;
    m_free = node->next;
    *node = ListNode{nullptr, nullptr, nullptr};
    ++m_inUse;
    m_highWater = std::max(m_highWater, m_inUse);
    return node;
}

void ListNodePool::Free(ListNode* node) {
    if (!node)
        return;
    SupportGuard guard(SupportLock());
    *node = ListNode{nullptr, m_free, nullptr};
    m_free = node;
    --m_inUse;
}

size_t ListNodePool::InUse() const {
    SupportGuard guard(SupportLock());
    return m_inUse;
}

size_t ListNodePool::HighWater() const {
    SupportGuard guard(SupportLock());
    return m_highWater;
}

size_t ListNodePool::Reserved() const {
    SupportGuard guard(SupportLock());
    return m_blocks.size() * kBlockNodes;
}

void ListNodePool::Setup() {
    SupportGuard guard(SupportLock());
    m_highWater = m_inUse;
}

void ListNodePool::Release() {
    SupportGuard guard(SupportLock());
    if (m_inUse != 0)
        return;
    m_free = nullptr;
    m_blocks.clear();
    m_highWater = 0;
}
