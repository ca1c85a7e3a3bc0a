#include "tests/support/skin/SkinTestSupport.h"

#include "skin/SkinResources.h"
#include "skin/StripFrame.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/archive/sk2SkinFileReader.h"
#include "skin/writer/SkinArchiveWriter.h"
#include "skin/writer/SkinDataBuilder.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv::skin::test {

namespace {

struct TExpectedBitmap {
    TSkin2Bitmap index;
    int width;
    int height;
};

// The embedded skin's pictures and their sizes, as the skin format lists them.
const TExpectedBitmap kEmbeddedBitmaps[] = {
    {SKIN2_TITLEBAR1, 58, 48},
    {SKIN2_TITLEBAR2, 57, 48},
    {SKIN2_TITLEBAR3, 176, 48},
    {SKIN2_FORMLEFTBORDER, 1, 20},
    {SKIN2_FORMRIGHTBORDER, 1, 20},
    {SKIN2_FORMBOTTOMBORDER1, 100, 1},
    {SKIN2_MINIMIZEDTITLE, 160, 27},
    {SKIN2_TITLEBUTTONS, 342, 19},
    {SKIN2_CHECKEDMENUICON, 16, 16},
    {SKIN2_BUTTON, 204, 25},
    {SKIN2_CHECKBOX, 90, 15},
    {SKIN2_CHECKBOXLIST, 44, 11},
    {SKIN2_RADIOBUTTON, 60, 15},
    {SKIN2_PROGRESSBAR1, 1, 10},
    {SKIN2_PROGRESSBAR2, 6, 10},
    {SKIN2_PROGRESSBAR3, 6, 10},
    {SKIN2_PROGRESSBAR4, 1, 10},
    {SKIN2_TRACKBAR, 45, 5},
    {SKIN2_TRACKBARSLIDER, 11, 21},
    {SKIN2_TRACKBARVSLIDER, 22, 11},
    {SKIN2_SCROLLBARUPBUTTON, 48, 17},
    {SKIN2_SCROLLBAR, 16, 21},
    {SKIN2_SCROLLBARDOWNBUTTON, 48, 17},
    {SKIN2_TABCONTROL, 30, 17},
    {SKIN2_TABCONTROLLINE, 8, 1},
    {SKIN2_SIDECHANNELBAR, 7, 84},
    {SKIN2_SIDECHANNELTITLE, 1, 21},
    {SKIN2_SCROLLBUTTON, 68, 17},
};

bool IsMagenta(const QImage& image, int x, int y) {
    return (image.pixel(x, y) & 0xFFFFFF) == framework::clTransparencyKey;
}

class FileThemeTest : public ::testing::Test {
protected:
    TScratchFolder scratch_;
};

class EmbeddedSkinTest : public FileThemeTest {
protected:
    void SetUp() override {
        theme_.SetThemeFile("C:\\Skins\\quorvane.ssk");
        ASSERT_FALSE(theme_.Ready());
        theme_.ReadSkinData(EmbeddedSkinArchive());
        ASSERT_TRUE(theme_.Ready());
    }
    TsuiBuiltInFileTheme theme_;
};

} // namespace

TEST_F(EmbeddedSkinTest, LoadsEveryPictureAtItsSize) {
    for (const auto& [index, width, height] : kEmbeddedBitmaps) {
        const QImage* picture = theme_.GetBitmap(index);
        ASSERT_NE(picture, nullptr) << SkinItemName(index);
        EXPECT_EQ(picture->size(), QSize(width, height)) << SkinItemName(index);
    }
    for (const TSkin2Bitmap absent :
         {SKIN2_TITLEBAR4, SKIN2_TITLEBAR5, SKIN2_FORMBOTTOMBORDER2, SKIN2_MENUBAR, SKIN2_TOOLBAR})
        EXPECT_EQ(theme_.GetBitmap(absent), nullptr);
    EXPECT_EQ(theme_.ThemeFile(), "C:\\Skins\\quorvane.ssk");
    EXPECT_EQ(scratch_.CreatedEntries(), 0);
}

TEST_F(EmbeddedSkinTest, HoldsTheSkinsColoursIntegersAndFlags) {
    EXPECT_EQ(theme_.GetColor(SKIN2_TRANSCOLOR), framework::clTransparencyKey);
    EXPECT_EQ(theme_.GetColor(SKIN2_FORMCOLOR), 0xF6E4DAu);
    EXPECT_EQ(theme_.GetColor(SKIN2_SELECTEDMENUCOLOR), 0xC56A31u);
    EXPECT_EQ(theme_.GetColor(SKIN2_CONTROLBORDERCOLOR), 0xA06B4Fu);
    EXPECT_EQ(theme_.GetColor(SKIN2_CONTROLFONTCOLOR), 0x040000u);
    EXPECT_EQ(theme_.GetColor(SKIN2_LEFTBARSTARTCOLOR), 0xEEEFF0u);
    EXPECT_EQ(theme_.GetColor(SKIN2_SCROLLBARCOLOR), 0xF9F9F9u);
    EXPECT_EQ(theme_.GetColor(SKIN2_TITLEFONTCOLOR), 0u);
    const int32_t integers[] = {7, 14, 14, 29, 14, 0, 6, -1, -1};
    for (int i = 0; i < SKIN2_INTEGER_COUNT; ++i)
        EXPECT_EQ(theme_.GetInt(static_cast<TSkin2Integer>(i)), integers[i]) << i;
    const bool flags[] = {false, false, true, false, false, false, false, true, false};
    for (int i = 0; i < SKIN2_FLAG_COUNT; ++i)
        EXPECT_EQ(theme_.GetBool(static_cast<TSkin2Flag>(i)), flags[i]) << i;
}

TEST_F(EmbeddedSkinTest, GivesTheWindowFiguresTheFrameAndTitleBarDeriveFromIt) {
    const QImage title1 = *theme_.GetBitmap(SKIN2_TITLEBAR1);
    const QImage title3 = *theme_.GetBitmap(SKIN2_TITLEBAR3);
    const int buttonWidth = StripFrameRect(342, 19, 1, 18).width();
    EXPECT_EQ(title1.height() - 3, 45);
    EXPECT_EQ(title1.width() +
                  std::max(title3.width(), buttonWidth * 4 + theme_.GetInt(SKIN2_TITLEBARBUTTONPOSX)),
              234);
    EXPECT_EQ(45 + theme_.GetBitmap(SKIN2_FORMBOTTOMBORDER1)->height() + 3, 49);
    // Magenta only in the outer corners of the top seven rows, which the window region cuts away.
    for (int y = 0; y < title1.height(); ++y) {
        EXPECT_EQ(IsMagenta(title1, 0, y), y <= 6) << "row " << y;
        EXPECT_EQ(IsMagenta(title3, title3.width() - 1, y), y <= 6) << "row " << y;
        EXPECT_FALSE(IsMagenta(title1, title1.width() - 1, y));
        for (int x = 0; x < 57; ++x)
            EXPECT_FALSE(IsMagenta(*theme_.GetBitmap(SKIN2_TITLEBAR2), x, y));
    }
    // The title buttons are opaque in this skin: no key colour in any frame.
    const QImage buttons = *theme_.GetBitmap(SKIN2_TITLEBUTTONS);
    for (int y = 0; y < buttons.height(); ++y)
        for (int x = 0; x < buttons.width(); ++x)
            ASSERT_FALSE(IsMagenta(buttons, x, y)) << x << "," << y;
}

TEST_F(EmbeddedSkinTest, ArchiveHasTheSkinFormatsLayout) {
    const std::string archive = EmbeddedSkinArchive();
    const std::string file = scratch_.Write("quorvane.ssk", archive);
    const Tsk2SkinFileReader reader(file, "");
    ASSERT_TRUE(reader.SkinLoaded());
    ASSERT_EQ(reader.Items().size(), 80u);
    for (size_t i = 0; i < reader.Items().size(); ++i) {
        const TSk2ItemKind expected = i < 28   ? TSk2ItemKind::Bitmap
                                      : i < 71 ? TSk2ItemKind::Integer
                                               : TSk2ItemKind::Flag;
        EXPECT_EQ(reader.Items()[i].kind, expected) << i;
    }
    // Two colours that no control asks for follow the table's integers.
    EXPECT_EQ(reader.Items()[69].name, "SKIN2_SYSTEMCOLOR1");
    EXPECT_EQ(reader.Items()[69].value, 0x00FF00);
    EXPECT_EQ(reader.Items()[70].name, "SKIN2_SYSTEMCOLOR2");
    EXPECT_EQ(reader.Items()[70].value, 0x800000);
    // Uncompressed size in the local header: 24-bit pictures with the usual headers.
    const auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(archive[at])) |
               static_cast<uint32_t>(static_cast<uint8_t>(archive[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(archive[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(archive[at + 3])) << 24;
    };
    EXPECT_EQ(u32(22), 122978u);
    EXPECT_EQ(archive.substr(0, 4), std::string("SK\x03\x04", 4));
}

TEST_F(FileThemeTest, BuiltInSkinLoadsWhenTheTemporaryFolderCannotBeWritten) {
    // Not even the superuser may create a file in /proc.
    const qv::test::ScopedEnvironment unwritable({{"TMPDIR", "/proc"}});
    TsuiBuiltInFileTheme theme;
    theme.ReadSkinData(EmbeddedSkinArchive());
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), 0xF6E4DAu);
}

TEST_F(FileThemeTest, WithoutALoadedSkinLookupsYieldNothing) {
    TsuiFileTheme theme;
    EXPECT_FALSE(theme.Ready());
    EXPECT_EQ(theme.GetBitmap(SKIN2_BUTTON), nullptr);
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), 0u);
    EXPECT_EQ(theme.GetInt(SKIN2_TITLEBARICONPOSX), 0);
    EXPECT_FALSE(theme.GetBool(SKIN2_RADIOBUTTONTRANS));
    theme.SetThemeFile(scratch_.Path() + "/input/missing.ssk");
    EXPECT_FALSE(theme.Ready());
    EXPECT_EQ(theme.ThemeFile(), "");
}

TEST_F(FileThemeTest, AbsentItemsOfALoadedSkinReadAsMinusOne) {
    TSkinDataBuilder data;
    data.AddInteger("SKIN2_FORMCOLOR", 0x123456);
    data.AddFlag("SKIN2_BUTTONTRANS", 1);
    TsuiFileTheme theme;
    theme.SetThemeFile(scratch_.Write("small.ssk", BuildSkinArchive(data.Data(), {})));
    ASSERT_TRUE(theme.Ready());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), 0x123456u);
    EXPECT_EQ(theme.GetColor(SKIN2_CONTROLCOLOR), 0xFFFFFFFFu);
    EXPECT_EQ(theme.GetInt(SKIN2_TITLEBARICONPOSX), -1);
    EXPECT_TRUE(theme.GetBool(SKIN2_BUTTONTRANS));
    EXPECT_FALSE(theme.GetBool(SKIN2_TITLEBTNTRANS));
    QImage target(2, 2, QImage::Format_RGB32);
    EXPECT_FALSE(theme.GetBitmap(SKIN2_BUTTON, target, 1, 3));
    EXPECT_EQ(target.size(), QSize(2, 2));
}

TEST_F(FileThemeTest, FramesOfASkinPictureFollowTheStripRule) {
    TSkinDataBuilder data;
    const QImage strip = PatternImage(345, 19, 7);
    data.AddBitmap("SKIN2_TITLEBUTTONS", EncodeBmp24(strip));
    TsuiFileTheme theme;
    theme.SetThemeFile(scratch_.Write("strip.ssk", BuildSkinArchive(data.Data(), {})));
    ASSERT_TRUE(theme.Ready());
    QImage frame;
    ASSERT_TRUE(theme.GetBitmap(SKIN2_TITLEBUTTONS, frame, 18, 18));
    EXPECT_EQ(frame.convertToFormat(QImage::Format_RGB32), strip.copy(326, 0, 19, 19));
    ASSERT_TRUE(theme.GetBitmap(SKIN2_TITLEBUTTONS, frame, 0, 18));
    EXPECT_EQ(frame.size(), QSize(345, 19));
}

TEST_F(FileThemeTest, FailedLoadsLeaveTheThemeNotReadyAndMissingFilesChangeNothing) {
    TsuiFileTheme theme;
    const std::string good = scratch_.Write("good.ssk", EmbeddedSkinArchive());
    theme.SetThemeFile(good);
    ASSERT_TRUE(theme.Ready());
    theme.SetThemeFile(scratch_.Path() + "/input/nowhere.ssk");
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(theme.ThemeFile(), good);

    theme.SetThemeFile(scratch_.Write("broken.ssk", "PK\x03\x04 not a skin"));
    EXPECT_FALSE(theme.Ready());
    EXPECT_EQ(theme.GetColor(SKIN2_FORMCOLOR), 0u);

    TSkinArchiveOptions locked;
    locked.password = "secret";
    theme.SetThemeFile(scratch_.Write("locked.ssk", BuildSkinArchive(TSkinDataBuilder().Data(), locked)));
    EXPECT_FALSE(theme.Ready());
    theme.SetPassword("wrong");
    EXPECT_FALSE(theme.Ready());
    theme.SetPassword("secret");
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(scratch_.CreatedEntries(), 0);
}

TEST_F(FileThemeTest, SkinDataIsWrittenOnlyFromAnExistingDesignFile) {
    TsuiBuiltInFileTheme theme;
    theme.SetThemeFile(scratch_.Path() + "/input/absent.ssk");
    EXPECT_FALSE(theme.WriteSkinData().has_value());
    const std::string archive = EmbeddedSkinArchive();
    theme.SetThemeFile(scratch_.Write("design.ssk", archive));
    EXPECT_TRUE(theme.Ready());
    EXPECT_EQ(theme.WriteSkinData(), archive);
}

TEST_F(FileThemeTest, CorruptSkinDataNeverCrashesAndCreatesNoFile) {
    const std::string archive = EmbeddedSkinArchive();
    int ready = 0;
    ForEachCorruption(archive, 150, 20261209, [&](const std::string& corrupt) {
        TsuiBuiltInFileTheme theme;
        theme.ReadSkinData(corrupt);
        if (theme.Ready()) ++ready;
        (void)theme.GetBitmap(SKIN2_TITLEBUTTONS);
        (void)theme.GetColor(SKIN2_FORMCOLOR);
    });
    EXPECT_LT(ready, 150);
    EXPECT_EQ(scratch_.CreatedEntries(), 0);
}

} // namespace qv::skin::test
