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
    // Each object's id and definition line (a plain named object's is its name).
    static std::vector<std::string> Describe(const RootObjectList& list) {
        std::vector<std::string> out;
        ListIterator it(list);
        for (RootObject* o = it.First(); o; o = it.Next()) {
            const auto* named = static_cast<NamedObject*>(o);
            out.push_back(std::to_string(named->GetId()) + ":" +
                          named->GetDescription(DESC_DEFINITION).str());
        }
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
    EXPECT_EQ(r.SlotOf(137), r.SlotOf(4211) + 1);
    EXPECT_EQ(r.SlotOf(1), -1);
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
    NamedObjectList list;
    NamedObject* o = Add(list, "Sulfur dioxide", 1);
    EXPECT_EQ(o->SelectName(NAME_ALTERNATE).str(), "Sulfur dioxide"); // no alternate yet
    o->SetAltName("SO2");
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
    EXPECT_EQ(Describe(own), (std::vector<std::string>{"3:THREE", "1:ONE", "2:two"}));

    NamedObjectList descs;
    descs.Append(new EGasDesc(GAS_NO, "NO", 30.0061f));
    descs.Append(new EUnitDesc(UNIT_PPM, "PPM", 1));
    EXPECT_TRUE(own.AssignFrom(descs, ASSIGN_DEEP));
    EXPECT_EQ(Describe(own), Describe(descs));
    auto* gas = dynamic_cast<EGasDesc*>(own.Head()->object);
    auto* unit = dynamic_cast<EUnitDesc*>(own.Tail()->object);
    ASSERT_TRUE(gas && unit);
    EXPECT_NE(gas, descs.Head()->object);
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

// Each object reads back what it wrote. Reading a cut stream keeps the objects read whole (a
// list that creates its objects drops the cut one) and leaves the cut object, and those after
// it, as they were.
TEST_F(SupportLists, ListsReadBackWhatTheyWroteAndStopAtDamage) {
    NamedObjectList list;
    Add(list, "SO2", 7);
    list.Append(new EGasDesc(GAS_CO, "CO", 28.0104f));
    auto* unit = new EUnitDesc(UNIT_PPM, "PPM", 1);
    unit->SetAltName("ppm");
    list.Append(unit);
    const std::vector<std::string> written = Describe(list);
    ByteStream out;
    // The list's type and count; each object's type, id and names, then its own fields.
    ASSERT_EQ(list.SerializeTo(out), 4u + 9u + 18u + 14u);
    const std::vector<uint8_t>& bytes = out.Data();
    const struct {
        size_t cut;   // bytes taken off the end
        size_t whole; // objects read whole
    } rows[] = {{0, 3},
                {1, 2} /* in the unit's decimals */,
                {17, 1} /* the gas's coefficient */,
                {35, 0} /* the first object's name */};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.cut);
        const std::vector<uint8_t> kept(bytes.begin(), bytes.end() - static_cast<long>(r.cut));
        NamedObjectList created;
        ByteStream createIn(kept, ByteStream::MODE_CREATE);
        EXPECT_EQ(created.SerializeTo(createIn), kept.size());
        const auto readWhole = written.begin() + static_cast<long>(r.whole);
        EXPECT_EQ(Describe(created), std::vector<std::string>(written.begin(), readWhole));
        NamedObjectList existing;
        existing.Append(new NamedObject);
        existing.Append(new EGasDesc);
        existing.Append(new EUnitDesc);
        std::vector<std::string> expected = Describe(existing);
        std::copy(written.begin(), readWhole, expected.begin());
        ByteStream in(kept, 0);
        existing.SerializeTo(in);
        EXPECT_EQ(Describe(existing), expected);
    }
    // A type never registered ends the reading.
    std::vector<uint8_t> unknown = bytes;
    unknown[4] = 0x01; // the first object's type id becomes 0x1201
    unknown[5] = 0x12;
    ByteStream bad(unknown, ByteStream::MODE_CREATE);
    NamedObjectList none;
    none.SerializeTo(bad);
    EXPECT_TRUE(none.IsEmpty());
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
    it.First();
    EXPECT_EQ(it.Next(), list.Head()->object);
    EXPECT_EQ(std::pair(it.GetPosition(), it.GetLastPosition()), std::pair(1L, 0L));
    EXPECT_EQ(it.Next(), nullptr);
    EXPECT_EQ(it.Next(), nullptr);
}

} // namespace
