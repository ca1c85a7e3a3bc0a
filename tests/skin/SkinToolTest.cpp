#include "tests/support/skin/SkinTestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

namespace qv::skin::test {

namespace {

struct TRun {
    int exitCode;
    std::string out;
    std::string err;
};

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class SkinToolTest : public ::testing::Test {
protected:
    TRun Run(const std::string& arguments) {
        const std::string out = scratch_.Path() + "/input/out.txt";
        const std::string err = scratch_.Path() + "/input/err.txt";
        const int status =
            std::system((std::string(QV_SKIN_TOOL) + " " + arguments + " >" + out + " 2>" + err).c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }
    std::string Input(const std::string& name) const { return scratch_.Path() + "/input/" + name; }

    TScratchFolder scratch_;
};

} // namespace

TEST_F(SkinToolTest, PacksAFolderAndDumpsItInFileOrder) {
    scratch_.Write("SKIN2_TITLEBAR2.bmp", EncodeBmp24(PatternImage(57, 48, 1)));
    scratch_.Write("SKIN2_BUTTON.bmp", EncodeBmp24(PatternImage(204, 25, 2)));
    scratch_.Write("SKIN2_TITLEBAR1.bmp", EncodeBmp24(PatternImage(58, 48, 3)));
    scratch_.Write("items.txt", "# colours first\r\n"
                                "integer SKIN2_FORMCOLOR 0xF6E4DA\r\n"
                                "bitmap SKIN2_BUTTON\r\n"
                                "\r\n"
                                "integer SKIN2_BOTTOMREGIONMINY -1\r\n"
                                "flag SKIN2_RADIOBUTTONTRANS 1\r\n"
                                "text SKIN2_NOTE pale blue and slate\r\n");
    const std::string expected = "bitmap SKIN2_TITLEBAR1 58x48\n"
                                 "bitmap SKIN2_TITLEBAR2 57x48\n"
                                 "integer SKIN2_FORMCOLOR 16180442\n"
                                 "bitmap SKIN2_BUTTON 204x25\n"
                                 "integer SKIN2_BOTTOMREGIONMINY -1\n"
                                 "flag SKIN2_RADIOBUTTONTRANS 1\n"
                                 "text SKIN2_NOTE pale blue and slate\n"
                                 "loaded yes\n";
    const std::string folder = scratch_.Path() + "/input";

    ASSERT_EQ(Run("pack " + folder + " " + Input("plain.ssk")).exitCode, 0);
    EXPECT_EQ(Run("dump " + Input("plain.ssk")).out, expected);

    ASSERT_EQ(Run("pack " + folder + " " + Input("locked.ssk") + " --store --password slate").exitCode, 0);
    EXPECT_EQ(Run("dump " + Input("locked.ssk") + " --password slate").out, expected);
    const TRun locked = Run("dump " + Input("locked.ssk"));
    EXPECT_EQ(locked.exitCode, 0);
    EXPECT_EQ(locked.out, "loaded no\n");
}

TEST_F(SkinToolTest, ReportsUnreadableSkinsAndBadInput) {
    const TRun broken = Run("dump " + scratch_.Write("broken.ssk", "SK not really an archive"));
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.err, "Failed to read skin file!\n");
    EXPECT_EQ(broken.out, "");

    scratch_.Write("items.txt", "flag SKIN2_BUTTONTRANS 256\n");
    EXPECT_EQ(Run("pack " + scratch_.Path() + "/input " + Input("x.ssk")).exitCode, 1);
    scratch_.Write("items.txt", "bitmap SKIN2_MISSING\n");
    EXPECT_EQ(Run("pack " + scratch_.Path() + "/input " + Input("x.ssk")).exitCode, 1);
    EXPECT_EQ(Run("dump").exitCode, 2);
    EXPECT_EQ(Run("unpack a b").exitCode, 2);
}

} // namespace qv::skin::test
