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
}

TEST(Archive, StringAndCountPrefixes) {
    CArchive out;
    out.WriteString(std::string(254, 'a'));
    out.WriteString(std::string(255, 'b'));
    out.WriteString(std::string(0x10000, 'c'));
    out.WriteCount(3);
    out.WriteCount(0x12345);
    // A count is only believed when the rest of the file can hold that many references.
    for (uint32_t i = 0; i < 0x12345; ++i)
        out.WriteUInt16(0);
    const auto& b = out.Bytes();
    EXPECT_EQ(b[0], 254);
    EXPECT_EQ(b[255], 0xFF);
    EXPECT_EQ(b[256], 0xFF);
    EXPECT_EQ(b[257], 0x00);
    const size_t third = 255 + 3 + 255;
    EXPECT_EQ(b[third], 0xFF);
    EXPECT_EQ(b[third + 1], 0xFF);
    EXPECT_EQ(b[third + 2], 0xFF);
    EXPECT_EQ(b[third + 3], 0x00);
    EXPECT_EQ(b[third + 5], 0x01);
    CArchive in(b);
    EXPECT_EQ(in.ReadString().size(), 254u);
    EXPECT_EQ(in.ReadString(), std::string(255, 'b'));
    EXPECT_EQ(in.ReadString().size(), 0x10000u);
    EXPECT_EQ(in.ReadCount(), 3u);
    EXPECT_EQ(in.ReadCount(), 0x12345u);
    for (uint32_t i = 0; i < 0x12345; ++i)
        ASSERT_EQ(in.ReadUInt16(), 0u);
    EXPECT_THROW(in.ReadUInt8(), CArchiveException);
}

TEST(Archive, TruncatedStringThrowsInsteadOfReadingPastTheEnd) {
    CArchive in(std::vector<uint8_t>{10, 'a', 'b'});
    EXPECT_THROW(in.ReadString(), CArchiveException);
    CArchive wide(std::vector<uint8_t>{0xFF, 0xFE, 0xFF, 2, 'h', 0, 'i', 0});
    EXPECT_EQ(wide.ReadString(), "hi");
}

} // namespace

namespace {

struct Plain : CNamedObject {
    using CNamedObject::CNamedObject;
    const char* GetClassName() const override { return "CPlain"; }
    unsigned GetSchema() const override { return 3; }
};
struct Other : CNamedObject {
    using CNamedObject::CNamedObject;
    const char* GetClassName() const override { return "COther"; }
};

TEST(ArchiveObjects, ClassRecordOnceThenBackReferencesSharingOneCounter) {
    Plain a("a", 1), b("b", 2);
    Other c("c", 3), d("d", 4);
    CArchive out;
    out.WriteObject<CNamedObject>(&a); // class 1, object 2
    out.WriteObject<CNamedObject>(&b); // object 3
    out.WriteObject<CNamedObject>(&c); // class 4, object 5
    out.WriteObject<CNamedObject>(&d); // object 6
    out.WriteObject<CNamedObject>(nullptr);
    const auto& bytes = out.Bytes();
    const std::vector<uint8_t> firstRecord = {0xFF, 0xFF, 3, 0, 6, 0, 'C', 'P', 'l', 'a', 'i', 'n'};
    ASSERT_GE(bytes.size(), firstRecord.size());
    EXPECT_TRUE(std::equal(firstRecord.begin(), firstRecord.end(), bytes.begin()));
    size_t pos = firstRecord.size() + 2 + 4; // payload "a", id
    EXPECT_EQ(bytes[pos], 0x01);
    EXPECT_EQ(bytes[pos + 1], 0x80);
    pos += 2 + 2 + 4;
    EXPECT_EQ(bytes[pos], 0xFF); // the second class gets a record of its own
    pos += 2 + 2 + 2 + 6 + 2 + 4;
    EXPECT_EQ(bytes[pos], 0x04);
    EXPECT_EQ(bytes[pos + 1], 0x80);

    ArchiveClassRegistry<CNamedObject>::Register("CPlain", [] { return new Plain; });
    ArchiveClassRegistry<CNamedObject>::Register("COther", [] { return new Other; });
    CArchive in(bytes);
    std::vector<std::unique_ptr<CNamedObject>> back;
    for (int i = 0; i < 4; ++i)
        back.emplace_back(ArchiveClassRegistry<CNamedObject>::Read(in));
    EXPECT_EQ(ArchiveClassRegistry<CNamedObject>::Read(in), nullptr);
    EXPECT_EQ(back[1]->GetName(), "b");
    EXPECT_STREQ(back[3]->GetClassName(), "COther");
    EXPECT_EQ(back[3]->GetId(), 4u);
}

TEST(ArchiveObjects, UnknownClassesAndObjectBackReferencesAreRefused) {
    CArchive out;
    Plain a("a", 1);
    out.WriteObjectHeader("CNobody", 0);
    CArchive in(out.Bytes());
    EXPECT_THROW(ArchiveClassRegistry<CNamedObject>::Read(in), CArchiveException);

    CArchive backRef(std::vector<uint8_t>{0x02, 0x00});
    try {
        backRef.ReadObjectHeader();
        ADD_FAILURE() << "an object back-reference was accepted";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.GetCause(), CArchiveException::BadIndex);
    }
    CArchive unknownClass(std::vector<uint8_t>{0x05, 0x80});
    EXPECT_THROW(unknownClass.ReadObjectHeader(), CArchiveException);
}

TEST(ArchiveObjects, LargeIndexesUseTheExtendedTag) {
    CArchive out;
    for (int i = 0; i < 0x4000; ++i)
        out.WriteObjectHeader("C" + std::to_string(i), 0); // two indexes each
    const size_t before = out.Bytes().size();
    out.WriteObjectHeader("C16383", 0); // class index 0x7FFF
    const auto& b = out.Bytes();
    ASSERT_EQ(b.size(), before + 6);
    EXPECT_EQ(b[before], 0xFF);
    EXPECT_EQ(b[before + 1], 0x7F);
    EXPECT_EQ(b[before + 5], 0x80);
    EXPECT_EQ(b[before + 2], 0xFF);
    EXPECT_EQ(b[before + 3], 0x7F);

    CArchive in(b);
    CArchive::ObjectHeader last;
    for (int i = 0; i <= 0x4000; ++i)
        last = in.ReadObjectHeader();
    EXPECT_EQ(last.className, "C16383");
}

} // namespace
