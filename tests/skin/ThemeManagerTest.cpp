#include "ThemeTestControls.h"
#include "tests/support/skin/SkinTestSupport.h"

#include "framework/gui/Fonts.h"
#include "framework/gui/Form.h"
#include "skin/SkinResources.h"
#include "skin/ThemeFunctions.h"
#include "skin/TsuiBuiltInFileTheme.h"
#include "skin/TsuiForm.h"
#include "skin/TsuiThemeManager.h"

#include <QApplication>

#include "tests/support/qt/QtTestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::skin::test {
using qv::framework::TForm;

namespace {

[[maybe_unused]] const bool kQt = qv::test::RegisterQtTestEnvironment();

constexpr qv::framework::TColor kSkinBorder = 0xA06B4F;

class ThemeTest : public ::testing::Test {
protected:
    // A form like the application's main window: a theme with the embedded skin and controls.
    void SetUp() override {
        form_ = std::make_unique<TForm>();
        theme_ = new TsuiBuiltInFileTheme(form_.get());
        theme_->SetName("BFT");
        theme_->ReadSkinData(EmbeddedSkinArchive());
        ASSERT_TRUE(theme_->Ready());
    }
    TsuiProbe* AddProbe(const std::string& name, TsuiUIStyle style) {
        auto* probe = new TsuiProbe(form_.get(), form_.get());
        probe->SetName(name);
        probe->SetUIStyle(style);
        probe->SetFileTheme(theme_);
        return probe;
    }

    TScratchFolder scratch_;
    std::unique_ptr<TForm> form_;
    TsuiBuiltInFileTheme* theme_ = nullptr;
};

} // namespace

TEST_F(ThemeTest, UsingFileThemeChoosesTheSkinOnlyForAReadyThemeAndFromThemeFile) {
    TsuiUIStyle effective = TsuiUIStyle::FromThemeFile;
    EXPECT_TRUE(UsingFileTheme(theme_, TsuiUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TsuiUIStyle::FromThemeFile);
    EXPECT_FALSE(UsingFileTheme(theme_, TsuiUIStyle::WinXP, effective));
    EXPECT_EQ(effective, TsuiUIStyle::WinXP);
    EXPECT_FALSE(UsingFileTheme(nullptr, TsuiUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TsuiUIStyle::DeepBlue);
    TsuiFileTheme notReady;
    EXPECT_FALSE(UsingFileTheme(&notReady, TsuiUIStyle::FromThemeFile, effective));
    EXPECT_EQ(effective, TsuiUIStyle::DeepBlue);
}

TEST_F(ThemeTest, ControlsDrawFromTheSkinOrTheirStylesRows) {
    TsuiProbe* skinned = AddProbe("edit", TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(skinned->borderColor, kSkinBorder);
    TsuiProbe* winXP = AddProbe("winxp", TsuiUIStyle::WinXP);
    EXPECT_EQ(winXP->borderColor, 0x686868u);

    TsuiProbe orphan(nullptr);
    orphan.borderColor = 1;
    orphan.SetUIStyle(TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(orphan.borderColor, 0x000000u);
    orphan.SetUIStyle(TsuiUIStyle::MacOS);
    EXPECT_EQ(orphan.borderColor, 0x7F7F7Fu);
}

TEST_F(ThemeTest, RemovingTheThemeSwitchesItsControlsAndManagersToDeepBlue) {
    TsuiProbe* first = AddProbe("first", TsuiUIStyle::FromThemeFile);
    TsuiProbe* second = AddProbe("second", TsuiUIStyle::FromThemeFile);
    auto* manager = new TsuiThemeManager(form_.get());
    manager->SetFileTheme(theme_);
    manager->SetUIStyle(TsuiUIStyle::Protein);
    int changes = 0;
    manager->OnUIStyleChanged = [&](TsuiThemeManager&) { ++changes; };
    first->SetUIStyle(TsuiUIStyle::FromThemeFile);
    ASSERT_EQ(first->borderColor, kSkinBorder);

    delete theme_;
    for (const TsuiProbe* probe : {first, second}) {
        EXPECT_EQ(probe->FileTheme(), nullptr);
        EXPECT_EQ(probe->UIStyle(), TsuiUIStyle::DeepBlue);
        EXPECT_EQ(probe->borderColor, 0x000000u);
    }
    EXPECT_EQ(manager->FileTheme(), nullptr);
    EXPECT_EQ(manager->UIStyle(), TsuiUIStyle::DeepBlue);
    EXPECT_EQ(changes, 0);
}

TEST_F(ThemeTest, ManagerAppliesToTheListedComponentsThatExist) {
    TsuiProbe* sg = AddProbe("sg", TsuiUIStyle::WinXP);
    TsuiProbe* search = AddProbe("search", TsuiUIStyle::WinXP);
    TsuiProbe* unlisted = AddProbe("unlisted", TsuiUIStyle::WinXP);
    auto* manager = new TsuiThemeManager(form_.get());
    EXPECT_EQ(manager->UIStyle(), TsuiUIStyle::DeepBlue);
    qv::framework::TStringList names;
    for (const char* name : {"suiForm1", "SG", "missing", "search"})
        names.Add(name);
    manager->SetCompList(names);
    std::vector<TsuiUIStyle> changes;
    manager->OnUIStyleChanged = [&](TsuiThemeManager& sender) { changes.push_back(sender.UIStyle()); };

    manager->SetFileTheme(theme_);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(sg->UIStyle(), TsuiUIStyle::DeepBlue);
    manager->SetUIStyle(TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(changes, std::vector<TsuiUIStyle>{TsuiUIStyle::FromThemeFile});
    for (const TsuiProbe* probe : {sg, search}) {
        EXPECT_EQ(probe->UIStyle(), TsuiUIStyle::FromThemeFile);
        EXPECT_EQ(probe->FileTheme(), theme_);
        EXPECT_EQ(probe->borderColor, kSkinBorder);
    }
    EXPECT_EQ(unlisted->UIStyle(), TsuiUIStyle::WinXP);

    delete search;
    EXPECT_EQ(manager->CompList().Count(), 3);
    EXPECT_EQ(manager->CompList().IndexOf("search"), -1);
}

TEST_F(ThemeTest, ManagerOutsideAFormAppliesNothing) {
    TsuiProbe* probe = AddProbe("probe", TsuiUIStyle::WinXP);
    TsuiThemeManager manager;
    qv::framework::TStringList names;
    names.Add("probe");
    manager.SetCompList(names);
    manager.SetUIStyle(TsuiUIStyle::MacOS);
    EXPECT_EQ(probe->UIStyle(), TsuiUIStyle::WinXP);
}

TEST_F(ThemeTest, NewControlsStartWithTheStyleOfTheirFormsFramePanel) {
    EXPECT_EQ(GetFormStyle(form_.get()), TsuiUIStyle::DeepBlue);
    EXPECT_EQ(TsuiProbe(form_.get()).UIStyle(), TsuiUIStyle::DeepBlue);
    auto* before = new StyleOnlyControl(form_.get());
    before->uiStyle = TsuiUIStyle::MacOS;
    auto* frame = new TsuiForm(form_.get());
    frame->SetUIStyle(TsuiUIStyle::BlueGlass);
    EXPECT_EQ(GetFormStyle(form_.get()), TsuiUIStyle::BlueGlass);
    EXPECT_EQ(TsuiProbe(form_.get()).UIStyle(), TsuiUIStyle::BlueGlass);
    EXPECT_EQ(GetFormStyle(theme_), TsuiUIStyle::DeepBlue);
    EXPECT_EQ(GetFormStyle(nullptr), TsuiUIStyle::DeepBlue);
}

TEST_F(ThemeTest, ApplyThemeToChildrenReachesOnlyDirectChildrenWithBothProperties) {
    QWidget container;
    auto* child = new TsuiProbe(nullptr, &container);
    auto* foreign = new ForeignControl(nullptr);
    foreign->setParent(&container);
    auto* styleOnly = new StyleOnlyControl(&container);
    auto* grandchild = new TsuiProbe(nullptr, child);
    grandchild->SetUIStyle(TsuiUIStyle::MacOS);

    ApplyThemeToChildren(&container, TsuiUIStyle::FromThemeFile, theme_);
    EXPECT_EQ(child->FileTheme(), theme_);
    EXPECT_EQ(child->borderColor, kSkinBorder);
    EXPECT_EQ(foreign->fileTheme, theme_);
    EXPECT_EQ(foreign->themeWrites, 1);
    EXPECT_EQ(foreign->uiStyle, TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(styleOnly->uiStyle, TsuiUIStyle::DeepBlue);
    EXPECT_EQ(grandchild->FileTheme(), nullptr);
    EXPECT_EQ(grandchild->UIStyle(), TsuiUIStyle::MacOS);
}

TEST_F(ThemeTest, LoadingASkinHandsItAgainToTheFormsSkinnedControls) {
    TsuiProbe* probe = AddProbe("probe", TsuiUIStyle::FromThemeFile);
    auto* foreign = new ForeignControl(form_.get());
    foreign->fileTheme = theme_;
    TsuiProbe* other = AddProbe("other", TsuiUIStyle::FromThemeFile);
    other->SetFileTheme(nullptr);
    const int before = probe->applied;
    const int otherBefore = other->applied;

    const std::string skin = scratch_.Write("skin.ssk", EmbeddedSkinArchive());
    theme_->SetThemeFile(skin);
    EXPECT_EQ(probe->applied, before + 2);
    EXPECT_EQ(probe->FileTheme(), theme_);
    EXPECT_EQ(probe->borderColor, kSkinBorder);
    EXPECT_EQ(other->applied, otherBefore);
    EXPECT_EQ(foreign->themeWrites, 0);

    // A skin that fails to load leaves the theme not ready; re-applied controls draw DeepBlue.
    theme_->SetThemeFile(scratch_.Write("bad.ssk", "SK\x03\x04"));
    EXPECT_FALSE(theme_->Ready());
    probe->SetUIStyle(TsuiUIStyle::FromThemeFile);
    EXPECT_EQ(probe->borderColor, 0x000000u);
}

} // namespace qv::skin::test
