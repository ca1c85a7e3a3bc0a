#include "tests/support/skin/SkinTestSupport.h"

#include "framework/Stream.h"
#include "skin/archive/ExtractSkinMember.h"
#include "skin/archive/LittleEndian.h"
#include "skin/writer/SkinArchiveWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace qv::skin::test {

namespace {

using framework::TMemoryStream;

constexpr TExtractResult kOk = TExtractResult::Ok;
constexpr TExtractResult kUnreadable = TExtractResult::Unreadable;
constexpr TExtractResult kBadPassword = TExtractResult::BadPassword;

class ExtractSkinMemberTest : public ::testing::Test {
protected:
    TExtractResult Extract(const std::string& archive, const std::string& password = "",
                           const std::string& member = kSkinMemberName) {
        TMemoryStream stream(archive);
        return ExtractSkinMember(stream, member, password, output_);
    }

    std::string output_ = "left over";
    const std::string member_ = MixedData(100000, 21);
};

} // namespace

TEST_F(ExtractSkinMemberTest, InflatesTheMemberMatchingItsNameWithoutCaseFromAnyStream) {
    TSkinArchiveOptions options;
    options.memberName = "SkinData.sk2";
    EXPECT_EQ(Extract(BuildSkinArchive(member_, options)), kOk);
    EXPECT_EQ(output_, member_);

    options.store = true;
    const std::string stored = BuildSkinArchive(member_, options);
    EXPECT_EQ(Extract(stored, "", "skindata.SK2"), kOk);
    EXPECT_EQ(output_, member_);

    const TScratchFolder scratch;
    framework::TFileStream file(scratch.Write("archive.ssk", stored), framework::TFileStream::Mode::OpenRead);
    std::string fromFile;
    EXPECT_EQ(ExtractSkinMember(file, kSkinMemberName, "", fromFile), kOk);
    EXPECT_EQ(fromFile, member_);
}

TEST_F(ExtractSkinMemberTest, DamagedArchivesAreUnreadableAndGiveNoBytes) {
    const std::string archive = BuildSkinArchive(member_, {});
    EXPECT_EQ(Extract(archive, "", "OTHER.SK2"), kUnreadable);
    EXPECT_EQ(output_, "");
    EXPECT_EQ(Extract("PK" + archive.substr(2)), kUnreadable);
    EXPECT_EQ(Extract("SK"), kUnreadable);
    EXPECT_EQ(Extract(""), kUnreadable);

    std::string withComment = archive;
    withComment[withComment.size() - 2] = 1;
    EXPECT_EQ(Extract(withComment), kUnreadable);
    EXPECT_EQ(Extract(archive + "trailing bytes"), kUnreadable);

    // The central directory names the member but the deflate data is cut short.
    TSkinArchiveOptions options;
    const std::string deflated = DeflateRaw(member_, false);
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated.substr(0, deflated.size() / 2), 0, 0, options)),
              kUnreadable);
    // A member that inflates to other bytes than the archive's CRC-32 and size describe is damaged.
    const auto crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(member_.data()), static_cast<uInt>(member_.size())));
    const auto size = static_cast<uint32_t>(member_.size());
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc, size, options)), kOk);
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc ^ 1, size, options)), kUnreadable);
    EXPECT_EQ(output_, "");
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc, size + 1, options)), kUnreadable);
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc, size - 1, options)), kUnreadable);
    // A size that no skin has and these few bytes could never inflate to is not trusted.
    EXPECT_EQ(Extract(BuildSkinArchiveFromDeflate(deflated, crc, 0xFFFFFFFF, options)), kUnreadable);
}

TEST_F(ExtractSkinMemberTest, EncryptedMemberNeedsTheRightPassword) {
    TSkinArchiveOptions options;
    options.password = "s3cret";
    options.headerSeed = 4;
    const std::string archive = BuildSkinArchive(member_, options);
    EXPECT_EQ(Extract(archive, ""), kBadPassword);
    EXPECT_EQ(Extract(archive, "S3CRET"), kBadPassword);
    EXPECT_EQ(Extract(archive, "s3cre"), kBadPassword);
    EXPECT_EQ(output_, "");
    EXPECT_EQ(Extract(archive, "s3cret"), kOk);
    EXPECT_EQ(output_, member_);

    options.store = true;
    EXPECT_EQ(Extract(BuildSkinArchive(member_, options), "s3cret"), kOk);
    EXPECT_EQ(output_, member_);
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
    EXPECT_EQ(Extract(archive, "pw"), kOk);
    EXPECT_EQ(output_, member);

    // Without bit 3 in the central record the CRC byte is compared and fails.
    const size_t central =
        archive.size() - kEndRecordSize - kCentralHeaderSize - std::string(kSkinMemberName).size();
    archive[central + kCentralFlagsOffset] =
        static_cast<char>(archive[central + kCentralFlagsOffset] & ~0x08);
    EXPECT_EQ(Extract(archive, "pw"), kBadPassword);
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
