#include "platform/zlib/RawDeflate.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::platform::test {

namespace {

// Text with repeats, then bytes that do not compress: more than one buffer of each way.
std::string SampleData() {
    std::string data;
    while (data.size() < 150000)
        data += "tender " + std::to_string(data.size() % 977) + "\r\n";
    std::mt19937 random(7);
    for (int i = 0; i < 100000; ++i)
        data += static_cast<char>(random());
    return data;
}

} // namespace

TEST(RawDeflate, RoundTripsAtEveryLevelAndBoundsWhatItInflates) {
    const std::string data = SampleData();
    for (const int level : {kDeflateStored, 1, kDeflateBest}) {
        const auto deflated = RawDeflate(data, level);
        ASSERT_TRUE(deflated) << level;
        EXPECT_EQ(RawInflate(*deflated, data.size()), data) << level;
        EXPECT_EQ(RawInflate(*deflated, data.size() - 1), std::nullopt) << level;
        EXPECT_EQ(RawInflate(deflated->substr(0, deflated->size() - 1), data.size()), std::nullopt) << level;

        std::string exact(data.size(), '\0');
        const TRawInflateResult fits = RawInflateInto(*deflated, exact);
        EXPECT_EQ(fits.status, TRawInflateResult::Ended) << level;
        EXPECT_EQ(fits.size, data.size()) << level;
        EXPECT_EQ(exact, data) << level;
        std::string shorter(data.size() - 1, '\0');
        EXPECT_EQ(RawInflateInto(*deflated, shorter).status, TRawInflateResult::TooLarge) << level;
    }
    EXPECT_EQ(RawInflate(*RawDeflate(""), 0), "");
    EXPECT_EQ(RawInflateInto("\xff\xff", std::span<char>()).status, TRawInflateResult::Damaged);
}

TEST(RawDeflate, PiecesKeepTheCodingTheyWereAddedWith) {
    TRawDeflater deflater;
    deflater.Add(std::string(5000, 'a'));
    deflater.SetParams(kDeflateStored, TDeflateStrategy::Default);
    deflater.Add("stored");
    deflater.SetParams(kDeflateBest, TDeflateStrategy::FixedCodes);
    deflater.Add("fixed");
    const auto deflated = deflater.Finish();
    ASSERT_TRUE(deflated);
    EXPECT_NE(deflated->find("stored"), std::string::npos) << "a stored block holds its bytes as they are";
    EXPECT_EQ(RawInflate(*deflated, 10000), std::string(5000, 'a') + "storedfixed");
}

} // namespace qv::platform::test
