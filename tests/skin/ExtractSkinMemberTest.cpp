#include "SkinTestSupport.h"

#include "skin/archive/ExtractSkinMember.h"
#include "skin/archive/LittleEndian.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

namespace qv::skin::test {

namespace {

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class ExtractSkinMemberTest : public ::testing::Test {
protected:
    int Extract(const std::string& archive, const std::string& password = "",
                const std::string& member = kSkinMemberName) {
        return ExtractSkinMember(scratch_.Write("archive.ssk", archive), member, Output(), password);
    }
    std::string Output() const { return scratch_.Path() + "/input/member"; }

    TScratchFolder scratch_;
    const std::string member_ = MixedData(100000, 21);
};

} // namespace

TEST_F(ExtractSkinMemberTest, WritesTheMemberMatchingItsNameWithoutCase) {
    TSkinArchiveOptions options;
    options.memberName = "SkinData.sk2";
    EXPECT_EQ(Extract(BuildSkinArchive(member_, options)), 0);
    EXPECT_EQ(ReadFile(Output()), member_);

    options.store = true;
    EXPECT_EQ(Extract(BuildSkinArchive(member_, options), "", "skindata.SK2"), 0);
    EXPECT_EQ(ReadFile(Output()), member_);
}

TEST_F(ExtractSkinMemberTest, UnreadableArchivesGiveOne) {
    const std::string archive = BuildSkinArchive(member_, {});
    EXPECT_EQ(ExtractSkinMember(scratch_.Path() + "/missing.ssk", kSkinMemberName, Output(), ""), 1);
    EXPECT_EQ(ExtractSkinMember(scratch_.Path(), kSkinMemberName, Output(), ""), 1);
    EXPECT_EQ(Extract(archive, "", "OTHER.SK2"), 1);
    EXPECT_EQ(Extract("PK" + archive.substr(2)), 1);
    EXPECT_EQ(Extract("SK"), 1);
    EXPECT_EQ(Extract(""), 1);

    std::string withComment = archive;
    withComment[withComment.size() - 2] = 1;
    EXPECT_EQ(Extract(withComment), 1);
    EXPECT_EQ(Extract(archive + "trailing bytes"), 1);

    // The central directory names the member but the deflate data is cut short.
    TSkinArchiveOptions options;
    const std::string deflated = DeflateRaw(member_, false);
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated.substr(0, deflated.size() / 2), 0, 0, options)),
              1);
    // A member that inflates to other bytes than the archive's CRC-32 and size describe is damaged.
    const auto crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(member_.data()), static_cast<uInt>(member_.size())));
    const auto size = static_cast<uint32_t>(member_.size());
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc, size, options)), 0);
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc ^ 1, size, options)), 1);
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc, size + 1, options)), 1);

    EXPECT_EQ(
        ExtractSkinMember(scratch_.Write("a.ssk", archive), kSkinMemberName, "/nonexistent/dir/out", ""), 1);
}

TEST_F(ExtractSkinMemberTest, EncryptedMemberNeedsTheRightPassword) {
    TSkinArchiveOptions options;
    options.password = "s3cret";
    options.headerSeed = 4;
    const std::string archive = BuildSkinArchive(member_, options);
    EXPECT_EQ(Extract(archive, ""), 2);
    EXPECT_EQ(Extract(archive, "S3CRET"), 2);
    EXPECT_EQ(Extract(archive, "s3cre"), 2);
    EXPECT_EQ(Extract(archive, "s3cret"), 0);
    EXPECT_EQ(ReadFile(Output()), member_);

    options.store = true;
    EXPECT_EQ(Extract(BuildSkinArchive(member_, options), "s3cret"), 0);
    EXPECT_EQ(ReadFile(Output()), member_);
}

TEST_F(ExtractSkinMemberTest, FlagBitThreeTakesTheCheckByteFromTheTime) {
    TSkinArchiveOptions options;
    options.password = "pw";
    options.timeCheckByte = true;
    options.dosTime = 0x5A21;
    options.headerSeed = 8;
    // Only the time's high byte matches the header here: the CRC's high byte differs.
    const std::string member = "a member whose CRC-32 does not start with 0x5A";
    std::string archive = BuildSkinArchive(member, options);
    ASSERT_NE(static_cast<uint8_t>(archive[17]), 0x5A);
    EXPECT_EQ(Extract(archive, "pw"), 0);
    EXPECT_EQ(ReadFile(Output()), member);

    // Without bit 3 in the central record the CRC byte is compared and fails.
    const size_t central = archive.size() - 22 - 46 - std::string(kSkinMemberName).size();
    archive[central + 8] = static_cast<char>(archive[central + 8] & ~0x08);
    EXPECT_EQ(Extract(archive, "pw"), 2);
}

TEST(SkinArchiveWriter, LaysTheArchiveOutAsTheEmbeddedSkinIs) {
    const std::string member = MixedData(50000, 31);
    const std::string archive = BuildSkinArchive(member, {});
    const auto u32 = [&](size_t offset) {
        return ReadU32(reinterpret_cast<const uint8_t*>(archive.data()) + offset);
    };
    const uint32_t deflatedSize = u32(18);
    EXPECT_EQ(archive.substr(0, 4), std::string("SK\x03\x04"));
    EXPECT_EQ(archive.substr(30, 12), "SKINDATA.SK2");
    EXPECT_EQ(u32(22), member.size());
    EXPECT_EQ(u32(14),
              crc32(0, reinterpret_cast<const Bytef*>(member.data()), static_cast<uInt>(member.size())));
    // Local header and name, the data, a 58-byte central directory, then the 22-byte end record.
    ASSERT_EQ(archive.size(), 42 + deflatedSize + 58 + 22);
    const size_t central = 42 + deflatedSize;
    EXPECT_EQ(archive.substr(central, 4), "PK\x01\x02");
    EXPECT_EQ(archive.substr(archive.size() - 22, 4), "PK\x05\x06");
    EXPECT_EQ(u32(archive.size() - 22 + 12), 58u);
    EXPECT_EQ(u32(archive.size() - 22 + 16), central);
    EXPECT_EQ(ZlibInflateRaw(archive.substr(42, deflatedSize)), member);
}

} // namespace qv::skin::test
