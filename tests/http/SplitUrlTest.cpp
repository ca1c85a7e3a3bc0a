#include "http/IdURI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace qv::http;

namespace {
struct UrlParts {
    std::string scheme, host, path, document, port, bookmark;
    bool operator==(const UrlParts&) const = default;
};

void PrintTo(const UrlParts& p, std::ostream* out) {
    *out << p.scheme << '|' << p.host << '|' << p.port << '|' << p.path << '|' << p.document << '|'
         << p.bookmark;
}

UrlParts Split(const std::string& url) {
    UrlParts p{"s", "h", "p", "d", "1", "b"};
    SplitUrl(url, p.scheme, p.host, p.path, p.document, p.port, p.bookmark);
    return p;
}
} // namespace

TEST(SplitUrl, SplitsIntoSchemeHostPortPathDocumentAndBookmark) {
    EXPECT_EQ(Split("http://H:8080/a/b.php?x=1#top"),
              (UrlParts{"http", "H", "/a/", "b.php?x=1", "8080", "top"}));
    EXPECT_EQ(Split("http://host"), (UrlParts{"http", "host", "/", "", "", ""}));
    EXPECT_EQ(Split("http://host/"), (UrlParts{"http", "host", "/", "", "", ""}));
    EXPECT_EQ(Split("dir/file.php"), (UrlParts{"", "", "/dir/", "file.php", "", ""}));
    EXPECT_EQ(Split("http:\\\\h\\dir\\f.txt"), (UrlParts{"http", "h", "/dir/", "f.txt", "", ""}));
    // User information is not split off; it lands in host and port.
    EXPECT_EQ(Split("http://user:secret@h:81/"), (UrlParts{"http", "user", "/", "", "secret@h:81", ""}));
}

TEST(SplitUrl, SlashesAndHashesInTheQuery) {
    EXPECT_EQ(Split("http://h/app.php?q=a/b&x=1"), (UrlParts{"http", "h", "/app.php?q=a/", "b&x=1", "", ""}));
    EXPECT_EQ(Split("http://h/d#a#b"), (UrlParts{"http", "h", "/", "d", "", "a#b"}));
    EXPECT_EQ(Split("http://h/x#y/z"), (UrlParts{"http", "h", "/x#y/", "z", "", ""}));
}

TEST(SplitUrl, TIdURISplitsTheUrlItIsGiven) {
    TIdURI uri("https://example.org:444\\a\\b#m");
    EXPECT_EQ(uri.URI(), "https://example.org:444/a/b#m");
    EXPECT_EQ((UrlParts{uri.Protocol(), uri.Host(), uri.Path(), uri.Document(), uri.Port(), uri.Bookmark()}),
              (UrlParts{"https", "example.org", "/a/", "b", "444", "m"}));
    uri.SetURI("/x");
    EXPECT_EQ(uri.Host(), "");
    EXPECT_EQ(uri.Document(), "x");
}

TEST(SplitUrl, RandomUrlsKeepTheRequestTargetWhole) {
    std::mt19937 random(777);
    const std::string alphabet = "ab:/\\#?@.%\xE9 ";
    for (int round = 0; round < 5000; ++round) {
        std::string url(random() % 30, ' ');
        for (auto& c : url)
            c = alphabet[random() % alphabet.size()];
        if (random() % 2) url.insert(0, "http://");
        const auto p = Split(url);
        ASSERT_EQ(p.path.front(), '/');
        ASSERT_EQ(p.document.find_first_of("/#"), std::string::npos);
        ASSERT_EQ(p.host.find_first_of(":/"), std::string::npos);

        std::string target = url;
        std::replace(target.begin(), target.end(), '\\', '/');
        if (const size_t schemeEnd = target.find("://"); schemeEnd != std::string::npos) {
            ASSERT_EQ(p.scheme, target.substr(0, schemeEnd));
            const size_t slash = target.find('/', schemeEnd + 3);
            target = slash == std::string::npos ? "" : target.substr(slash + 1);
        }
        if (target.empty() || target.front() != '/') target.insert(0, "/");
        std::string rebuilt = p.path + p.document;
        if (rebuilt.size() < target.size()) rebuilt += "#" + p.bookmark;
        ASSERT_EQ(rebuilt, target) << url;
    }
}
