#include "service/EncodeUrl.h"
#include "service/RequestUrls.h"

#include <gtest/gtest.h>

#include <random>

namespace qv::service::test {

TEST(EncodeUrl, EscapesExactlyTheSixCharactersControlAndHighBytes) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text(1, static_cast<char>(byte));
        const bool escaped = byte < 0x20 || byte >= 0x7F ||
                             std::string(" *#%<>").find(static_cast<char>(byte)) != std::string::npos;
        char expected[4];
        std::snprintf(expected, sizeof expected, "%%%02X", byte);
        EXPECT_EQ(EncodeUrl(text), escaped ? std::string(expected) : text) << byte;
    }
}

TEST(EncodeUrl, LeavesTheQueryStructureAlone) {
    EXPECT_EQ(EncodeUrl("http://h/app.php?action=browse&keyword=road works&filterby1='DE'"),
              "http://h/app.php?action=browse&keyword=road%20works&filterby1='DE'");
    EXPECT_EQ(EncodeUrl("&password=50%off"), "&password=50%25off");
    EXPECT_EQ(EncodeUrl("caf\xE9"), "caf%E9");
    EXPECT_EQ(EncodeUrl("R&D C++ a=b"), "R&D%20C++%20a=b");
}

TEST(EncodeValue, AlsoEscapesWhatWouldSplitAValue) {
    EXPECT_EQ(EncodeValue("R&D"), "R%26D");
    EXPECT_EQ(EncodeValue("C++"), "C%2B%2B");
    EXPECT_EQ(EncodeValue("a=b"), "a%3Db");
    EXPECT_EQ(EncodeValue("caf\xE9 50%"), "caf%E9%2050%25");
}

TEST(RequestUrls, AreTheDesignUrlsForPlainValues) {
    EXPECT_EQ(CheckLoginUrl("h", "demo@quorvane.example", "demo"),
              "http://h/app.php?action=check_login&email=demo@quorvane.example&password=demo");
    EXPECT_EQ(BrowseUrl("h:8080", "a@b", "pw", 3, "", "EU"),
              "http://h:8080/app.php?action=browse&email=a@b&password=pw&page=3&keyword=&filterby1='EU'");
    EXPECT_EQ(
        BrowseUrl("h", "a@b", "p%w", 1, "caf\xE9 bar", "FR"),
        "http://h/app.php?action=browse&email=a@b&password=p%25w&page=1&keyword=caf%E9%20bar&filterby1='FR'");
    EXPECT_EQ(ViewTenderUrl("h", "a@b", "pw", "21932"),
              "http://h/app.php?action=view_tender&email=a@b&password=pw&id=21932");
    EXPECT_EQ(ViewTenderUrl("https://h:8443", "a@b", "pw", "7"),
              "https://h:8443/app.php?action=view_tender&email=a@b&password=pw&id=7");
    EXPECT_EQ(BrowseUrl("h", "a@b", "pw", -1, "x", "GB"),
              "http://h/app.php?action=browse&email=a@b&password=pw&page=-1&keyword=x&filterby1='GB'");
}

TEST(RequestUrls, KeepAmpersandsEqualsAndPlusesInsideTheirValues) {
    EXPECT_EQ(BrowseUrl("h", "a@b", "p&w=1", 1, "R&D C++", "EU"),
              "http://h/app.php?action=browse&email=a@b&password=p%26w%3D1&page=1&keyword=R%26D%20C%2B%2B"
              "&filterby1='EU'");
    EXPECT_EQ(CheckLoginUrl("h", "x+y@b", "a&b"),
              "http://h/app.php?action=check_login&email=x%2By@b&password=a%26b");
    EXPECT_EQ(ViewTenderUrl("h", "a@b", "pw", "1&id=2"),
              "http://h/app.php?action=view_tender&email=a@b&password=pw&id=1%26id%3D2");
}

TEST(RequestUrls, RandomValuesWithoutSplittersMatchTheWholeUrlEncoding) {
    std::mt19937 random(17);
    const auto value = [&] {
        std::string text(random() % 12, '\0');
        for (auto& c : text) {
            do
                c = static_cast<char>(random());
            while (c == '&' || c == '=' || c == '+');
        }
        return text;
    };
    for (int round = 0; round < 500; ++round) {
        const std::string email = value(), password = value(), keyword = value(), id = value();
        const auto page = static_cast<int32_t>(random());
        EXPECT_EQ(BrowseUrl("h", email, password, page, keyword, "SE"),
                  EncodeUrl("http://h/app.php?action=browse&email=" + email + "&password=" + password +
                            "&page=" + std::to_string(page) + "&keyword=" + keyword + "&filterby1='SE'"));
        EXPECT_EQ(ViewTenderUrl("h", email, password, id),
                  EncodeUrl("http://h/app.php?action=view_tender&email=" + email + "&password=" + password +
                            "&id=" + id));
    }
}

} // namespace qv::service::test
