#include "model/Archive.h"
#include "model/NamedObjectList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

struct Counted : CNamedObject {
    static inline int alive = 0;
    Counted(const std::string& name, uint32_t id) : CNamedObject(name, id) { ++alive; }
    Counted(const Counted& o) : CNamedObject(o) { ++alive; }
    ~Counted() override { --alive; }
    CNamedObject* Clone() const override { return new Counted(*this); }
};

TEST(NamedObjectList, FindByNameFoldsAsciiCaseAndPrefersTheHead) {
    CNamedObjectList list;
    auto* first = new CNamedObject("SITE1", 1);
    auto* second = new CNamedObject("site1", 2);
    list.AddTail(first);
    list.AddTail(second);
    list.AddTail(new CNamedObject("Caf\xC9", 3));
    EXPECT_EQ(list.FindByName("site1"), first);
    EXPECT_EQ(list.FindByName("Site1"), first);
    EXPECT_EQ(list.FindByName("site"), nullptr);
    // Only A-Z fold: a byte above 0x7F must match exactly.
    EXPECT_EQ(list.FindByName("caf\xC9")->GetId(), 3u);
    EXPECT_EQ(list.FindByName("caf\xE9"), nullptr);
}

TEST(NamedObjectList, FindByIdFindsZeroToo) {
    CNamedObjectList list;
    list.AddTail(new CNamedObject("a", 5));
    auto* plain = new CNamedObject("plain", 0);
    list.AddTail(plain);
    EXPECT_EQ(list.FindById(0), plain);
    EXPECT_EQ(list.FindById(5)->GetName(), "a");
    EXPECT_EQ(list.FindById(6), nullptr);
}

TEST(NamedObjectList, CopiesAreIndependent) {
    CNamedObjectList source;
    source.AddTail(new CNamedObject("Pump", 9));
    source.AddTail(new CNamedObject("Valve", 10));
    CNamedObjectList copy(source);
    ASSERT_EQ(copy.GetCount(), 2u);
    EXPECT_NE(copy.At(0), source.At(0));
    copy.At(0)->SetName("Renamed");
    EXPECT_EQ(source.At(0)->GetName(), "Pump");
    EXPECT_EQ(copy.At(1)->GetName(), "Valve");
    EXPECT_EQ(copy.At(1)->GetId(), 10u);
    EXPECT_EQ(copy.GetBlockSize(), source.GetBlockSize());
}

TEST(NamedObjectList, DestroyingOrEmptyingDeletesTheElements) {
    Counted::alive = 0;
    {
        CNamedObjectList list;
        list.AddTail(new Counted("a", 1));
        list.AddTail(new Counted("b", 2));
        CNamedObjectList copy(list);
        EXPECT_EQ(Counted::alive, 4);
        copy.DeleteAll();
        EXPECT_EQ(Counted::alive, 2);
        EXPECT_TRUE(copy.IsEmpty());
        CNamedObject* b = list.At(1);
        EXPECT_TRUE(list.Remove(b));
        EXPECT_EQ(Counted::alive, 2); // taken out, not deleted
        delete b;
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(NamedObjectList, DuplicatesAreNamedCopyOf) {
    CNamedObjectList list;
    auto* pump = new CNamedObject("Pump", 4);
    list.AddTail(pump);
    CNamedObject* one = DuplicateNamedObject(*pump);
    CNamedObject* two = DuplicateNamedObject(*pump);
    list.AddTail(one);
    list.AddTail(two);
    EXPECT_EQ(one->GetName(), "Copy of Pump");
    EXPECT_EQ(two->GetName(), "Copy of Pump");
    CNamedObject* three = DuplicateNamedObject(*one);
    list.AddTail(three);
    EXPECT_EQ(three->GetName(), "Copy of Copy of Pump");
    EXPECT_EQ(pump->GetName(), "Pump");
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
    // As an archived object it opens with its class record: a new-class tag, schema 0, name.
    CArchive record;
    record.WriteObject<CNamedObject>(&obj);
    const std::vector<uint8_t> head = {0xFF, 0xFF, 0, 0, 12, 0};
    ASSERT_GE(record.Bytes().size(), 18u);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), record.Bytes().begin()));
    EXPECT_EQ(std::string(record.Bytes().begin() + 6, record.Bytes().begin() + 18), "CNamedObject");
}

} // namespace
