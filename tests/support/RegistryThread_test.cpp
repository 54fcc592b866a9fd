#include "support/GasUnitRegistry.h"
#include "support/ListNodePool.h"
#include "support/NamedObjectList.h"
#include "support/TextSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

TEST(RegistryThreads, ListsOnManyThreadsShareTheNodePool) {
    ASSERT_TRUE(InitSupportLibrary());
    const size_t before = ListNodePool::Instance().InUse();
    std::atomic<int> found{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&found, t] {
            NamedObjectList list;
            for (int i = 0; i < 500; ++i) {
                ASSERT_TRUE(list.Append(new NamedObject("n", static_cast<uint32_t>(i))));
                if (FindGasByName(i % 2 ? "so2" : "NO") && FindUnit(UNIT_PPB))
                    ++found;
                if (i % 3 == 0)
                    list.Destroy(list.Head()->object);
            }
            EXPECT_NE(list.FindById(499), nullptr);
            (void)t;
        });
    }
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(found.load(), 4 * 500);
    EXPECT_EQ(ListNodePool::Instance().InUse(), before);
}

} // namespace
