#include "platform/SystemTexts.h"

#include <gtest/gtest.h>

namespace qv::platform::test {

TEST(SystemTextsTest, MemInfoValuesAreKilobytesAndDamagedOnesGiveNothing) {
    const struct {
        const char* text;
        std::optional<uint64_t> bytes;
    } cases[] = {
        {"MemFree:  10 kB\nMemTotal:       16318260 kB\n", uint64_t{16318260} * 1024},
        {"MemTotal:\n", std::nullopt},
        {"MemTotal: abc kB\n", std::nullopt},
        {"MemTotal: 99999999999999999999 kB\n", std::nullopt},
        {"MemTotal: 18014398509481984 kB\n", std::nullopt},
        {"MemTotalX: 5 kB\n", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MemInfoBytes(c.text, "MemTotal"), c.bytes) << c.text;
}

TEST(SystemTextsTest, MountPointIsTheLongestPrefixingMountPoint) {
    const std::string mounts = "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /home ext4 rw 0 0\n"
                               "/dev/sdc1 /home/us ext4 rw 0 0\n/dev/sdd1 /home/user/data ext4 rw 0 0\n\n"
                               "broken\n";
    EXPECT_EQ(MountPointIn(mounts, "/home/user/.config"), "/home");
    EXPECT_EQ(MountPointIn(mounts, "/home/user/data"), "/home/user/data");
    EXPECT_EQ(MountPointIn(mounts, "/tmp/x"), "/");
}

} // namespace qv::platform::test
