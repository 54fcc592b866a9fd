#include "model/Archive.h"
#include "model/ArchiveList.h"
#include "model/NamedObjectList.h"
#include "support_lib/Fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Leaf : CNamedObject {
    const char* GetClassName() const override { return "CArchiveTestLeaf"; }
    unsigned GetSchema() const override { return 3; }
    void Serialize(CArchive&) override {} // no payload: only the tags are under test
};

struct Other : CNamedObject {
    const char* GetClassName() const override { return "CArchiveTestOther"; }
    unsigned GetSchema() const override { return 1; }
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring())
            ar.WriteUInt32(value);
        else
            value = ar.ReadUInt32();
    }
    uint32_t value = 0;
};

struct Registered {
    Registered() {
        ArchiveClassRegistry<CNamedObject>::Register("CArchiveTestLeaf", [] { return new Leaf; });
        ArchiveClassRegistry<CNamedObject>::Register("CArchiveTestOther", [] { return new Other; });
    }
} registered;

Bytes Stored(const std::function<void(CArchive&)>& write) {
    CArchive ar;
    write(ar);
    return ar.Bytes();
}

TEST(ArchiveEncoding, StringPrefixesChangeAtTheirBoundaries) {
    // clang-format off
    const struct { size_t length; Bytes prefix; } cases[] = {
        {0, {0x00}}, {254, {0xFE}}, {255, {0xFF, 0xFF, 0x00}}, {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}};
    // clang-format on
    for (const auto& c : cases) {
        const std::string s(c.length, 'q');
        const Bytes b = Stored([&](CArchive& ar) { ar.WriteString(s); });
        ASSERT_EQ(b.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(Bytes(b.begin(), b.begin() + c.prefix.size()), c.prefix) << c.length;
        CArchive in(b);
        EXPECT_EQ(in.ReadString(), s) << c.length;
        EXPECT_EQ(in.Position(), b.size());
    }
}

TEST(ArchiveEncoding, WideCharacterStringsAreReadButNeverWritten) {
    // 0xFF, 0xFFFE, then a length of 3 and 3 sixteen-bit characters.
    CArchive in(Bytes{0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 'b', 0, 0x34, 0x12});
    EXPECT_EQ(in.ReadString(), "ab?");
}

TEST(ArchiveEncoding, CountsUseSixteenBitsBelowFFFF) {
    const Bytes small = Stored([](CArchive& ar) { ar.WriteCount(0xFFFE); });
    EXPECT_EQ(small, (Bytes{0xFE, 0xFF}));
    const Bytes large = Stored([](CArchive& ar) { ar.WriteCount(0xFFFF); });
    EXPECT_EQ(large, (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}));
}

TEST(ArchiveReferences, LargeIndexesUseTheExtendedTag) {
    // 0x7FFE leaf objects take indexes 1 (class) to 0x7FFF, so the next class record gets
    // index 0x8000 and its back-reference needs the 0x7FFF tag and a 32-bit value.
    CArchive ar;
    Leaf leaf;
    for (int i = 0; i < 0x7FFE; ++i)
        ar.WriteObject(&leaf);
    Other o;
    ar.WriteObject(&o);
    const size_t at = ar.Bytes().size();
    ar.WriteObject(&o);
    const Bytes& b = ar.Bytes();
    ASSERT_EQ(b.size(), at + 2 + 4 + 4);
    EXPECT_EQ(Bytes(b.begin() + at, b.begin() + at + 6),
              (Bytes{0xFF, 0x7F, 0x00, 0x80, 0x00, 0x80}));

    CArchive in(b);
    for (int i = 0; i < 0x7FFE + 2; ++i)
        delete ArchiveClassRegistry<CNamedObject>::Read(in);
    EXPECT_EQ(in.Position(), b.size());
}

// The cause a list read fails with, or -1 when it reads without complaint.
int CauseOf(const Bytes& b, const char* only = nullptr) {
    CArchive in(b);
    CNamedObjectList list;
    try {
        ReadObjectList(in, list, only);
    } catch (const CArchiveException& e) {
        return e.GetCause();
    }
    return -1;
}

TEST(ArchiveDamage, ListTable) {
    using C = CArchiveException;
    const Bytes other = Stored([](CArchive& ar) {
        Other o;
        ar.WriteCount(1);
        ar.WriteObject(&o);
    });
    // clang-format off
    const struct {
        Bytes bytes;
        int cause;
        const char* what;
        const char* only = nullptr; // the class the list holds
    } rows[] = {
        {{0, 0}, -1, "an empty list"},
        {{1, 0, 0, 0}, C::Generic, "an empty reference"},
        {{1, 0, 0x01, 0x00}, C::BadIndex, "a reference back to an object"},
        {{1, 0, 0x05, 0x80}, C::BadIndex, "a class never recorded"},
        {{1, 0, 0xFF, 0x7F, 0x09, 0, 0, 0x80}, C::BadIndex, "a long reference to nothing"},
        {{1, 0, 0xFF, 0xFF, 1, 0, 2, 0, 'C', 'q'}, C::BadClass, "an unknown class name"},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, C::EndOfFile, "4 000 million elements"},
        {{1, 0, 0xFF, 0xFF, 1, 0, 0xFF, 0xFF, 'C'}, C::EndOfFile, "a class name past the end"},
        {other, -1, "the class the list holds", "CArchiveTestOther"},
        {other, C::BadClass, "another class than the list holds", "CArchiveTestLeaf"},
    };
    // clang-format on
    TestApp t;
    for (const auto& r : rows)
        EXPECT_EQ(CauseOf(r.bytes, r.only), r.cause) << r.what;
}

TEST(ArchiveDamage, HugeLengthsFailBeforeAnythingIsAllocated) {
    // Strings whose 32-bit length runs past the end, narrow and wide.
    CArchive s(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x'});
    EXPECT_THROW(s.ReadString(), CArchiveException);
    CArchive w(Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_THROW(w.ReadString(), CArchiveException);
}

TEST(NamedObject, WritesTheNameThenTheIdAfterItsClassRecord) {
    CNamedObject obj("Pump", 0x01020304);
    CArchive record;
    record.WriteObject<CNamedObject>(&obj);
    std::vector<uint8_t> expected = {0xFF, 0xFF, 0, 0, 12, 0};
    for (char c : std::string("CNamedObject"))
        expected.push_back(static_cast<uint8_t>(c));
    expected.insert(expected.end(), {4, 'P', 'u', 'm', 'p', 4, 3, 2, 1});
    EXPECT_EQ(record.Bytes(), expected);
    CArchive in(std::vector<uint8_t>(record.Bytes().begin() + 18, record.Bytes().end()));
    CNamedObject back;
    back.Serialize(in);
    EXPECT_EQ(std::pair(back.GetName(), back.GetId()), std::pair(std::string("Pump"), 0x01020304u));
}

TEST(NamedObjectList, FindFoldsAsciiCaseOnlyAndPrefersTheHead) {
    CNamedObjectList list;
    auto* first = new CNamedObject("SITE1", 1);
    list.AddTail(first);
    list.AddTail(new CNamedObject("site1", 0));
    list.AddTail(new CNamedObject("Caf\xC9", 3));
    EXPECT_EQ(list.FindByName("Site1"), first);
    // Only A-Z fold: a byte above 0x7F must match exactly.
    EXPECT_EQ(list.FindByName("caf\xC9")->GetId(), 3u);
    EXPECT_EQ(list.FindByName("caf\xE9"), nullptr);
}

} // namespace
