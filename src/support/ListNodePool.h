#pragma once
// The one pool of list nodes that every support list draws from: blocks of 100 nodes up to a
// ceiling of 5000. Freed nodes go back to a free list; at the ceiling, appending fails.

#include <cstddef>
#include <memory>
#include <vector>

class RootObject;

struct ListNode {
    ListNode* prev;
    ListNode* next;
    RootObject* object;
};

class ListNodePool {
public:
    static constexpr size_t kBlockNodes = 100;
    static constexpr size_t kCeiling = 5000;

    static ListNodePool& Instance();

    // Null when the ceiling is reached.
    ListNode* Allocate();
    void Free(ListNode* node);

    size_t InUse() const;
    size_t HighWater() const;
    // Nodes held in blocks (in use or free).
    size_t Reserved() const;

    // Start-up: begins the high-water count again.
    void Setup();
    // Shut-down: gives the blocks back; kept while any node is still in use, since a list
    // that outlives the registries still points into them.
    void Release();

private:
    ListNodePool() = default;

    std::vector<std::unique_ptr<ListNode[]>> m_blocks;
    ListNode* m_free = nullptr;
    size_t m_inUse = 0;
    size_t m_highWater = 0;
};
