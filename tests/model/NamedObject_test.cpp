#include "model/Archive.h"
#include "model/NamedObjectList.h"

#include <gtest/gtest.h>

namespace {

struct Counted : CNamedObject {
    static inline int alive = 0;
    Counted(const std::string& name, uint32_t id) : CNamedObject(name, id) { ++alive; }
    Counted(const Counted& o) : CNamedObject(o) { ++alive; }
    ~Counted() override { --alive; }
    CNamedObject* Clone() const override { return new Counted(*this); }
};

TEST(NamedObjectList, FindFoldsAsciiCaseOnlyAndPrefersTheHead) {
    CNamedObjectList list;
    auto* first = new CNamedObject("SITE1", 1);
    list.AddTail(first);
    list.AddTail(new CNamedObject("site1", 0));
    list.AddTail(new CNamedObject("Caf\xC9", 3));
    EXPECT_EQ(list.FindByName("Site1"), first);
    EXPECT_EQ(list.FindByName("site"), nullptr);
    // Only A-Z fold: a byte above 0x7F must match exactly.
    EXPECT_EQ(list.FindByName("caf\xC9")->GetId(), 3u);
    EXPECT_EQ(list.FindByName("caf\xE9"), nullptr);
    EXPECT_EQ(list.FindById(0)->GetName(), "site1");
    EXPECT_EQ(list.FindById(6), nullptr);
}

TEST(NamedObjectList, CopiesAreIndependentAndEveryListDeletesItsElements) {
    Counted::alive = 0;
    {
        CNamedObjectList list;
        list.AddTail(new Counted("a", 1));
        list.AddTail(new Counted("b", 2));
        CNamedObjectList copy(list);
        EXPECT_EQ(Counted::alive, 4);
        copy.At(0)->SetName("Renamed");
        EXPECT_EQ(list.At(0)->GetName(), "a");
        EXPECT_EQ(copy.At(1)->GetId(), 2u);
        copy.DeleteAll();
        EXPECT_EQ(Counted::alive, 2);
        CNamedObject* b = list.At(1);
        EXPECT_TRUE(list.Remove(b));
        EXPECT_EQ(Counted::alive, 2); // taken out, not deleted
        delete b;
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(NamedObject, SerializeWritesTheNameThenTheId) {
    CNamedObject obj("Pump", 0x01020304);
    CArchive out;
    obj.Serialize(out);
    const std::vector<uint8_t> expected = {4, 'P', 'u', 'm', 'p', 4, 3, 2, 1};
    EXPECT_EQ(out.Bytes(), expected);
    CArchive in(out.Bytes());
    CNamedObject back;
    back.Serialize(in);
    EXPECT_EQ(back.GetName(), "Pump");
    EXPECT_EQ(back.GetId(), 0x01020304u);
}

} // namespace
