#include "tests/support/skin/SkinTestSupport.h"

#include "framework/Exception.h"
#include "skin/archive/LittleEndian.h"
#include "skin/archive/sk2SkinFileReader.h"
#include "skin/writer/SkinArchiveWriter.h"
#include "skin/writer/SkinDataBuilder.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::skin::test {

namespace {

constexpr const char* kReadError = "Failed to read skin file!";

class SkinFileReaderTest : public ::testing::Test {
protected:
    std::unique_ptr<Tsk2SkinFileReader> Load(const std::string& archive, const std::string& password = "") {
        return std::make_unique<Tsk2SkinFileReader>(scratch_.Write("skin.ssk", archive), password);
    }
    std::unique_ptr<Tsk2SkinFileReader> LoadData(const std::string& skinData,
                                                 const TSkinArchiveOptions& options = {}) {
        return Load(BuildSkinArchive(skinData, options), options.password);
    }
    // Loads and reports the failure message, or "" when construction returned.
    std::string LoadError(const std::string& archive) {
        try {
            Load(archive);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }

    TScratchFolder scratch_;
};

// A skin data block whose records are patched after laying out: the record at index i starts at
// RecordOffset(i) when every payload before it has the given sizes.
size_t RecordOffset(const std::vector<size_t>& payloadSizes, size_t index) {
    size_t offset = kSk2HeaderSize;
    for (size_t i = 0; i < index; ++i)
        offset += kSk2RecordSize + payloadSizes[i];
    return offset;
}

void PutU32At(std::string& bytes, size_t offset, uint32_t value) {
    std::string field;
    AppendU32(field, value);
    bytes.replace(offset, 4, field);
}

// An item as kind, name and value: "1SKIN2_FORMCOLOR=16180442", "0SKIN2_BUTTON=4x2".
std::vector<std::string> Described(const Tsk2SkinFileReader& reader) {
    std::vector<std::string> items;
    for (const auto& item : reader.Items()) {
        std::string value = item.kind == TSk2ItemKind::Text ? item.text : std::to_string(item.value);
        if (item.kind == TSk2ItemKind::Bitmap)
            value = std::to_string(item.bitmap.width()) + "x" + std::to_string(item.bitmap.height());
        items.push_back(std::to_string(static_cast<int>(item.kind)) + item.name + "=" + value);
    }
    return items;
}

} // namespace

TEST_F(SkinFileReaderTest, LoadsEveryKindInFileOrderAndFindsTableItemsWithoutCase) {
    const QImage title = PatternImage(58, 48, 1);
    const std::string longName(64, 'N');
    TSkinDataBuilder builder;
    builder.AddBitmap("skin2_titlebar1", EncodeBmp24(title));
    builder.AddInteger("Skin2_FormColor", 0xF6E4DA);
    builder.AddInteger("SKIN2_BOTTOMREGIONMAXY", -2);
    builder.AddFlag("skin2_TitleBarNeedRegion", 1);
    builder.AddFlag("SKIN2_RADIOBUTTONTRANS", 200);
    builder.AddItem("SKIN2_FUTURE", 9, "ignored payload");
    builder.AddText("SKIN2_NOTE", "pale blue");
    builder.AddInteger(longName, 64);
    const auto reader = LoadData(builder.Data());

    ASSERT_TRUE(reader->SkinLoaded());
    EXPECT_EQ(reader->GetInteger(SKIN2_FORMCOLOR), 0xF6E4DA);
    EXPECT_EQ(reader->GetInteger(SKIN2_BOTTOMREGIONMAXY), -2);
    EXPECT_TRUE(reader->GetBool(SKIN2_TITLEBARNEEDREGION));
    EXPECT_TRUE(reader->GetBool(SKIN2_RADIOBUTTONTRANS));
    const QImage* bitmap = reader->GetBitmap(SKIN2_TITLEBAR1);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->convertToFormat(QImage::Format_RGB32), title);
    EXPECT_EQ(Described(*reader),
              (std::vector<std::string>{"0skin2_titlebar1=58x48", "1Skin2_FormColor=16180442",
                                        "1SKIN2_BOTTOMREGIONMAXY=-2", "2skin2_TitleBarNeedRegion=1",
                                        "2SKIN2_RADIOBUTTONTRANS=200", "3SKIN2_NOTE=pale blue",
                                        "1" + longName + "=64"}));
}

TEST_F(SkinFileReaderTest, AbsentItemsAndItemsOfAnotherKindYieldTheDefaults) {
    TSkinDataBuilder builder;
    builder.AddInteger("SKIN2_TITLEFIVESECT", 1);
    builder.AddFlag("SKIN2_TITLEBARICONPOSX", 1);
    builder.AddText("SKIN2_FORMCOLOR", "12");
    builder.AddInteger("SKIN2_TITLEBAR4", 5);
    builder.AddInteger("SKIN2_TITLEBARICONPOS", 7);
    builder.AddInteger("SKIN2_CONTROLCOLOR ", 7);
    const auto reader = LoadData(builder.Data());
    ASSERT_TRUE(reader->SkinLoaded());
    EXPECT_FALSE(reader->GetBool(SKIN2_TITLEFIVESECT));
    EXPECT_EQ(reader->GetInteger(SKIN2_TITLEBARICONPOSX), -1);
    EXPECT_EQ(reader->GetInteger(SKIN2_FORMCOLOR), -1);
    EXPECT_EQ(reader->GetBitmap(SKIN2_TITLEBAR4), nullptr);
    EXPECT_EQ(reader->GetInteger(SKIN2_CONTROLCOLOR), -1);
    EXPECT_FALSE(reader->GetBool(SKIN2_BUTTONTRANS));
    // Indexes outside their group name no item.
    EXPECT_EQ(reader->GetInteger(TSkin2Color{SKIN2_COLOR_COUNT}), -1);
    EXPECT_EQ(reader->GetBitmap(TSkin2Bitmap{-1}), nullptr);
    EXPECT_EQ(reader->Items().size(), 6u);
}

TEST_F(SkinFileReaderTest, FirstOccurrenceOfANameWins) {
    TSkinDataBuilder builder;
    builder.AddInteger("SKIN2_FORMCOLOR", 1);
    builder.AddBitmap("skin2_button", EncodeBmp24(PatternImage(4, 2, 1)));
    builder.AddInteger("skin2_FormColor", 2);
    builder.AddFlag("SKIN2_BUTTONTRANS", 0);
    builder.AddFlag("SKIN2_BUTTONTRANS", 1);
    builder.AddBitmap("SKIN2_BUTTON", EncodeBmp24(PatternImage(6, 3, 2)));
    const auto reader = LoadData(builder.Data());
    EXPECT_EQ(reader->GetInteger(SKIN2_FORMCOLOR), 1);
    EXPECT_FALSE(reader->GetBool(SKIN2_BUTTONTRANS));
    ASSERT_NE(reader->GetBitmap(SKIN2_BUTTON), nullptr);
    EXPECT_EQ(reader->GetBitmap(SKIN2_BUTTON)->width(), 4);
    EXPECT_EQ(reader->Items().size(), 6u);
}

TEST_F(SkinFileReaderTest, TerminatorFirstLoadsAnEmptySkin) {
    const auto reader = LoadData(TSkinDataBuilder().Data());
    EXPECT_TRUE(reader->SkinLoaded());
    EXPECT_TRUE(reader->Items().empty());
    EXPECT_EQ(reader->GetInteger(SKIN2_FORMCOLOR), -1);
}

TEST_F(SkinFileReaderTest, FollowsRecordOffsetsRatherThanAdjacency) {
    TSkinDataBuilder builder;
    builder.AddInteger("SKIN2_A", 1);
    builder.AddInteger("SKIN2_B", 2);
    std::string data = builder.Data();
    // Make the header point at B, B at A and A at the terminator.
    const size_t a = RecordOffset({4, 4}, 0);
    const size_t b = RecordOffset({4, 4}, 1);
    const size_t terminator = RecordOffset({4, 4}, 2);
    PutU32At(data, kSk2FirstRecordOffset, static_cast<uint32_t>(b));
    PutU32At(data, b + kSk2NextOffset, static_cast<uint32_t>(a));
    PutU32At(data, a + kSk2NextOffset, static_cast<uint32_t>(terminator));
    const auto reader = LoadData(data);
    ASSERT_EQ(Described(*reader), (std::vector<std::string>{"1SKIN2_B=2", "1SKIN2_A=1"}));
}

TEST_F(SkinFileReaderTest, EncryptedSkinLoadsOnlyWithItsPassword) {
    TSkinDataBuilder builder;
    builder.AddInteger("SKIN2_FORMCOLOR", 0xF6E4DA);
    TSkinArchiveOptions options;
    options.password = "blue";
    options.headerSeed = 2;
    const std::string archive = BuildSkinArchive(builder.Data(), options);

    EXPECT_EQ(Load(archive, "blue")->GetInteger(SKIN2_FORMCOLOR), 0xF6E4DA);
    for (const std::string password : {"", "Blue", "bluee"}) {
        const auto reader = Load(archive, password);
        EXPECT_FALSE(reader->SkinLoaded()) << password;
        EXPECT_TRUE(reader->Items().empty());
    }
}

TEST_F(SkinFileReaderTest, TwoMegabyteMemberInflatesAndDecodes) {
    const QImage big = PatternImage(1000, 700, 5);
    const std::string text = MixedData(200000, 6);
    TSkinDataBuilder builder;
    builder.AddBitmap("SKIN2_BIG", EncodeBmp24(big));
    builder.AddText("SKIN2_TEXT", text);
    ASSERT_GT(builder.Data().size(), 2u << 20);
    for (const bool store : {false, true}) {
        TSkinArchiveOptions options;
        options.store = store;
        const auto reader = LoadData(builder.Data(), options);
        ASSERT_EQ(reader->Items().size(), 2u);
        EXPECT_EQ(reader->Items()[0].bitmap.convertToFormat(QImage::Format_RGB32), big);
        EXPECT_EQ(reader->Items()[1].text, text);
    }
}

TEST_F(SkinFileReaderTest, CreatesNoFile) {
    TSkinDataBuilder builder;
    builder.AddInteger("SKIN2_FORMCOLOR", 1);
    TSkinArchiveOptions encrypted;
    encrypted.password = "pw";
    LoadData(builder.Data());
    Load(BuildSkinArchive(builder.Data(), encrypted), "");
    EXPECT_NE(LoadError(BuildSkinArchive("too short", {})), "");
    EXPECT_EQ(scratch_.CreatedEntries(), 0);
}

TEST_F(SkinFileReaderTest, MalformedSkinDataFailsWithTheReadError) {
    TSkinDataBuilder builder;
    builder.AddInteger("SKIN2_A", 1);
    builder.AddBitmap("SKIN2_B", EncodeBmp24(PatternImage(3, 3, 1)));
    const std::string valid = builder.Data();
    const size_t a = RecordOffset({}, 0);
    const size_t b = RecordOffset({4}, 1);
    const auto patched = [&](size_t offset, uint32_t value) {
        std::string data = valid;
        PutU32At(data, offset, value);
        return BuildSkinArchive(data, {});
    };
    const auto withByte = [&](size_t offset, char value) {
        std::string data = valid;
        data[offset] = value;
        return BuildSkinArchive(data, {});
    };
    ASSERT_EQ(LoadError(BuildSkinArchive(valid, {})), "");

    EXPECT_EQ(LoadError(patched(a + kSk2NextOffset, static_cast<uint32_t>(a))), kReadError)
        << "record chain loops";
    EXPECT_EQ(LoadError(patched(a + kSk2PayloadSizeOffset, 0xFFFFFFFF)), kReadError) << "payload size";
    EXPECT_EQ(LoadError(patched(a + kSk2PayloadOffset, 0xFFFFFF00)), kReadError) << "payload offset";
    EXPECT_EQ(LoadError(patched(a + kSk2NextOffset, 0x7FFFFFFF)), kReadError) << "next record offset";
    EXPECT_EQ(LoadError(patched(a + kSk2PayloadSizeOffset, 3)), kReadError) << "integer size";
    EXPECT_EQ(LoadError(withByte(a + kSk2KindOffset, 2)), kReadError) << "flag size";
    EXPECT_EQ(LoadError(patched(kSk2HeaderSizeOffset, 0x7FFFFFFF)), kReadError) << "header size";
    EXPECT_EQ(LoadError(patched(kSk2HeaderSizeOffset, 8)), kReadError) << "header size";
    EXPECT_EQ(LoadError(patched(kSk2FirstRecordOffset, 0xFFFFFFF0)), kReadError) << "first record offset";
    EXPECT_EQ(LoadError(withByte(b + kSk2RecordSize, 'X')), kReadError) << "bitmap signature";
    EXPECT_EQ(LoadError(BuildSkinArchive(valid.substr(0, 15), {})), kReadError);
    EXPECT_EQ(LoadError(BuildSkinArchive(valid.substr(0, valid.size() - 1), {})), kReadError);
    EXPECT_EQ(LoadError("not an archive"), kReadError);
    EXPECT_THROW(Tsk2SkinFileReader(scratch_.Path() + "/missing.ssk", ""), qv::framework::Exception);
}

TEST_F(SkinFileReaderTest, PicturesTogetherLargerThanTheBudgetFailWithTheReadError) {
    // A blank run-length picture takes a few bytes for any size: 4096 by 4096 is the whole budget.
    const auto blank = [](int side) {
        std::string bmp = "BM";
        AppendU32(bmp, 14 + 40 + 4 + 2);
        AppendU32(bmp, 0);
        AppendU32(bmp, 14 + 40 + 4);
        for (const uint32_t field : {40u, static_cast<uint32_t>(side), static_cast<uint32_t>(side)})
            AppendU32(bmp, field);
        AppendU16(bmp, 1);
        AppendU16(bmp, 8);
        for (const uint32_t field : {1u, 2u, 0u, 0u, 1u, 0u})
            AppendU32(bmp, field);
        AppendU32(bmp, 0xFFFFFF);
        return bmp + std::string("\x00\x01", 2);
    };
    TSkinDataBuilder fits;
    fits.AddBitmap("SKIN2_A", blank(4096));
    EXPECT_EQ(LoadError(BuildSkinArchive(fits.Data(), {})), "");
    TSkinDataBuilder tooMany = fits;
    tooMany.AddBitmap("SKIN2_B", blank(16));
    const std::string archive = BuildSkinArchive(tooMany.Data(), {});
    EXPECT_LT(archive.size(), 1000u);
    EXPECT_EQ(LoadError(archive), kReadError);
}

TEST_F(SkinFileReaderTest, RandomCorruptionFailsCleanly) {
    TSkinDataBuilder builder;
    builder.AddBitmap("SKIN2_TITLEBAR1", EncodeBmp24(PatternImage(20, 12, 1)));
    builder.AddInteger("SKIN2_FORMCOLOR", 0xF6E4DA);
    builder.AddFlag("SKIN2_TITLEBARNEEDREGION", 1);
    builder.AddText("SKIN2_NOTE", "text");
    builder.AddBitmap("SKIN2_BUTTON", EncodeBmp24(PatternImage(9, 5, 2)));
    const std::string data = builder.Data();
    TSkinArchiveOptions encrypted;
    encrypted.password = "pw";
    TSkinArchiveOptions stored;
    stored.store = true;

    int failed = 0;
    int loaded = 0;
    const auto attempt = [&](const std::string& archive, const std::string& password) {
        try {
            loaded += Load(archive, password)->SkinLoaded() ? 1 : 0;
        } catch (const std::exception& e) {
            ASSERT_STREQ(e.what(), kReadError);
            ++failed;
        }
    };
    const auto plain = [&](const std::string& archive) { attempt(archive, ""); };
    ForEachCorruption(BuildSkinArchive(data, {}), 400, 1, plain);
    ForEachCorruption(BuildSkinArchive(data, stored), 400, 2, plain);
    ForEachCorruption(BuildSkinArchive(data, encrypted), 300, 3,
                      [&](const std::string& archive) { attempt(archive, "pw"); });
    // Damage inside the skin data itself, behind an intact archive layer.
    ForEachCorruption(data, 900, 4,
                      [&](const std::string& damaged) { plain(BuildSkinArchive(damaged, stored)); });
    EXPECT_GT(failed, 1000);
    EXPECT_GT(loaded, 100);
    EXPECT_EQ(scratch_.CreatedEntries(), 0);
}

} // namespace qv::skin::test
