#include "support/ByteStream.h"
#include "support/EGasDesc.h"
#include "support/EUnitDesc.h"
#include "support/ListIterator.h"
#include "support/ListNodePool.h"
#include "support/NamedObjectList.h"
#include "support/TextSupport.h"
#include "support/TypeRegistry.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

class SupportLists : public ::testing::Test {
protected:
    void SetUp() override { InitSupportLibrary(); }

    static NamedObject* Add(NamedObjectList& list, const char* name, uint32_t id) {
        auto* o = new NamedObject(name, id);
        EXPECT_TRUE(list.Append(o));
        return o;
    }
    static std::vector<std::string> Names(const RootObjectList& list) {
        std::vector<std::string> out;
        ListIterator it(list);
        for (RootObject* o = it.First(); o; o = it.Next())
            out.push_back(static_cast<NamedObject*>(o)->GetName().str());
        return out;
    }
};

TEST_F(SupportLists, TheTypeRegistryKeepsTheFirstEntryProbesAndFillsUp) {
    TypeRegistry r;
    const auto* first = r.RegisterType(4211, "RootObject", [] { return new RootObject; });
    EXPECT_EQ(r.RegisterType(4211, "Other", nullptr), first);
    EXPECT_EQ(r.Find(4211)->name.str(), "RootObject");
    std::unique_ptr<RootObject> made(r.Create(4211));
    ASSERT_TRUE(made);
    EXPECT_EQ(made->GetTypeId(), 4211u);
    EXPECT_EQ(r.Create(1), nullptr);
    // 137 shares its first slot with 4211 (both are 40 modulo 97).
    r.RegisterType(137, "b", nullptr);
    EXPECT_EQ(r.Find(137)->name.str(), "b");
    EXPECT_EQ(r.Find(4211), first);
    TypeRegistry full;
    for (uint32_t id = 0; id < TypeRegistry::kSlots; ++id)
        ASSERT_NE(full.RegisterType(id, "t", nullptr), nullptr);
    EXPECT_EQ(full.RegisterType(1000, "late", nullptr), nullptr);
    EXPECT_NE(full.RegisterType(3, "known", nullptr), nullptr); // a present id is still found
}

TEST_F(SupportLists, AppendFailsAtTheNodeCeiling) {
    ListNodePool& pool = ListNodePool::Instance();
    const size_t before = pool.InUse();
    {
        NamedObjectList list;
        for (;;) {
            auto o = std::make_unique<NamedObject>("n", 1);
            if (!list.Append(o.get()))
                break;
            o.release();
        }
        EXPECT_EQ(pool.InUse(), ListNodePool::kCeiling);
        EXPECT_EQ(pool.HighWater(), ListNodePool::kCeiling);
        EXPECT_GE(pool.Reserved(), ListNodePool::kCeiling);
        EXPECT_EQ(list.GetCount() + before, ListNodePool::kCeiling);
        // A freed node is used again.
        list.Destroy(list.Head()->object);
        EXPECT_TRUE(list.Append(new NamedObject("again", 2)));
    }
    EXPECT_EQ(pool.InUse(), before);
}

// Lookups fold case, find the object nearest the head, and use the index only while it
// describes the list as it is.
TEST_F(SupportLists, LookupsAndTheirIndexes) {
    NamedObjectList list;
    NamedObject* old = Add(list, "old", 1);
    NamedObject* beta = Add(list, "Beta", 20);
    Add(list, "BETA", 20);
    const auto both = NamedObjectList::INDEX_BY_NAME | NamedObjectList::INDEX_BY_ID;
    for (bool indexed : {false, true}) {
        if (indexed)
            list.BuildIndex(both);
        EXPECT_EQ(list.IsIndexCurrent(NamedObjectList::INDEX_BY_NAME), indexed);
        EXPECT_EQ(list.FindByName("beta"), beta);
        EXPECT_EQ(list.FindById(20), beta);
        EXPECT_EQ(list.FindByName("gamma"), nullptr);
    }
    // Same count as at indexing time, different objects: the index must not be used.
    list.Destroy(old);
    NamedObject* fresh = Add(list, "fresh", 1);
    EXPECT_FALSE(list.IsIndexCurrent(NamedObjectList::INDEX_BY_NAME));
    EXPECT_EQ(list.FindByName("old"), nullptr);
    EXPECT_EQ(list.FindById(1), fresh);
    list.BuildIndex(NamedObjectList::INDEX_BY_ID);
    EXPECT_TRUE(list.IsIndexCurrent(NamedObjectList::INDEX_BY_ID));
    EXPECT_FALSE(list.IsIndexCurrent(NamedObjectList::INDEX_BY_NAME));
    EXPECT_EQ(list.FindByName("FRESH"), fresh);
}

TEST_F(SupportLists, NameSelectionAndDefaultFlags) {
    auto* o = new NamedObject("Sulfur dioxide", 1);
    NamedObjectList list;
    list.Append(o);
    EXPECT_EQ(o->SelectName(NAME_ALTERNATE).str(), "Sulfur dioxide"); // no alternate yet
    o->SetAltName("SO2");
    EXPECT_EQ(o->SelectName(NAME_ALTERNATE).str(), "SO2");
    SetDefaultNameFlags(NAME_ALTERNATE);
    EXPECT_EQ(o->GetDescription(0x2).str(), "SO2"); // no selecting bit: the default
    SetDefaultNameFlags(NAME_PLAIN);
    // Lookups use the plain name.
    EXPECT_EQ(list.FindByName("SO2"), nullptr);
    EXPECT_EQ(list.FindByName("sulfur DIOXIDE"), o);
}

// A shallow assignment copies the objects of the same ID in the source's order; a deep one
// replaces the objects by copies; objects or lists of different types are refused.
TEST_F(SupportLists, Assignments) {
    NamedObjectList own;
    Add(own, "one", 1);
    Add(own, "two", 2);
    Add(own, "three", 3);
    NamedObjectList source;
    Add(source, "THREE", 3);
    Add(source, "nine", 9); // no own object: ignored
    Add(source, "ONE", 1);
    EXPECT_TRUE(own.AssignFrom(source, 0));
    EXPECT_EQ(Names(own), (std::vector<std::string>{"THREE", "ONE", "two"}));

    NamedObjectList descs;
    descs.Append(new EGasDesc(GAS_NO, "NO", 30.0061f));
    descs.Append(new EUnitDesc(UNIT_PPM, "PPM", 1));
    EXPECT_TRUE(own.AssignFrom(descs, ASSIGN_DEEP));
    ASSERT_EQ(own.GetCount(), 2u);
    auto* gas = dynamic_cast<EGasDesc*>(own.Head()->object);
    auto* unit = dynamic_cast<EUnitDesc*>(own.Tail()->object);
    ASSERT_TRUE(gas && unit);
    EXPECT_NE(gas, descs.Head()->object);
    EXPECT_FLOAT_EQ(gas->GetMolecularWeight(), 30.0061f);
    EXPECT_EQ(unit->GetDecimals(), 1);
    RootObjectList plain;
    EXPECT_FALSE(own.AssignFrom(plain, ASSIGN_DEEP));
    RootObject root;
    EXPECT_FALSE(static_cast<RootObjectList&>(own).Append(&root)); // named objects only

    std::vector<std::string> messages;
    const TextSink sink = [&](const SupportString& s) { messages.push_back(s.str()); };
    EXPECT_FALSE(unit->AssignFrom(*gas, 0, &sink));
    EXPECT_EQ(messages, std::vector<std::string>{"Error: source object \"NO\" and destination "
                                                 "object \"PPM\" are different types (4738)\n"});
    EXPECT_EQ(unit->GetName().str(), "PPM");
}

TEST_F(SupportLists, ListsReadBackWhatTheyWroteAndStopAtDamage) {
    NamedObjectList list;
    list.Append(new EGasDesc(GAS_CO, "CO", 28.0104f));
    auto* unit = new EUnitDesc(UNIT_PPM, "PPM", 1);
    unit->SetAltName("ppm");
    list.Append(unit);
    ByteStream out;
    const size_t written = list.SerializeTo(out);
    NamedObjectList created;
    ByteStream in(out.Data(), ByteStream::MODE_CREATE);
    EXPECT_EQ(created.SerializeTo(in), written);
    ASSERT_EQ(created.GetCount(), 2u);
    auto* gas = dynamic_cast<EGasDesc*>(created.Head()->object);
    ASSERT_NE(gas, nullptr);
    EXPECT_NEAR(gas->GetDensity(), 1.2497, 1e-3);
    EXPECT_EQ(dynamic_cast<EUnitDesc*>(created.Tail()->object)->GetAltName().str(), "ppm");
    // Without create mode the objects already there read themselves.
    NamedObjectList existing;
    existing.Append(new EGasDesc);
    existing.Append(new EUnitDesc);
    ByteStream again(out.Data(), 0);
    existing.SerializeTo(again);
    EXPECT_EQ(static_cast<NamedObject*>(existing.Head()->object)->GetName().str(), "CO");
    EXPECT_EQ(static_cast<EUnitDesc*>(existing.Tail()->object)->GetDecimals(), 1);
    // Reading stops at a short object or at a type never registered.
    std::vector<uint8_t> cut(out.Data().begin(), out.Data().end() - 1);
    ByteStream shortIn(cut, ByteStream::MODE_CREATE);
    NamedObjectList partial;
    partial.SerializeTo(shortIn);
    EXPECT_EQ(Names(partial), (std::vector<std::string>{"CO"}));
    std::vector<uint8_t> unknown = out.Data();
    unknown[4] = 0x01; // the first object's type id becomes 0x1201
    unknown[5] = 0x12;
    ByteStream bad(unknown, ByteStream::MODE_CREATE);
    NamedObjectList none;
    none.SerializeTo(bad);
    EXPECT_TRUE(none.IsEmpty());
    // A plain named object reads back its id and both names, and nothing from a short read.
    NamedObject plain("SO2", 7);
    plain.SetAltName("so2");
    ByteStream one;
    const size_t size = plain.SerializeTo(one);
    NamedObject back;
    ByteStream oneIn(one.Data(), 0);
    EXPECT_EQ(back.SerializeTo(oneIn), size);
    EXPECT_EQ(std::tuple(back.GetName().str(), back.GetAltName().str(), back.GetId()),
              std::tuple(std::string("SO2"), std::string("so2"), 7u));
    NamedObject untouched;
    ByteStream shortOne(std::vector<uint8_t>(one.Data().begin(), one.Data().end() - 1), 0);
    untouched.SerializeTo(shortOne);
    EXPECT_EQ(untouched.GetName().str(), "");
}

TEST_F(SupportLists, WriteDefinitionAndTheIteratorWalkInListOrderOrReversed) {
    NamedObjectList list;
    list.Append(new EUnitDesc(UNIT_PPB, "PPB", 0));
    list.Append(new EUnitDesc(UNIT_PPM, "PPM", 1));
    std::vector<std::string> lines;
    const TextSink sink = [&](const SupportString& s) { lines.push_back(s.str()); };
    list.WriteDefinition(sink, 0);
    list.WriteDefinition(sink, WRITE_REVERSE);
    EXPECT_EQ(lines, (std::vector<std::string>{"GASUNIT \"PPB\" 200 0", "GASUNIT \"PPM\" 201 1",
                                               "GASUNIT \"PPM\" 201 1", "GASUNIT \"PPB\" 200 0"}));
    ListIterator it(list, true);
    EXPECT_EQ(it.First(), list.Tail()->object);
    EXPECT_EQ(it.Next(), list.Head()->object);
    EXPECT_EQ(it.GetPosition(), 1);
    EXPECT_EQ(it.GetLastPosition(), 0);
    EXPECT_EQ(it.Next(), nullptr);
    EXPECT_EQ(it.Next(), nullptr);
}

} // namespace
