#include "http/text/IdURI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace qv::http::test {

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

// Where a redirect may take the credentials: the port a URL leads to counts, not how it is written.
TEST(SplitUrl, OriginsMatchOnSchemeHostAndThePortConnectedTo) {
    const struct {
        const char* first;
        const char* second;
        bool same;
    } cases[] = {
        {"http://h/a", "HTTP://H:80/b?c", true}, {"https://h/", "https://h:443/x", true},
        {"http://h:x/", "http://h/", true},      {"http://h:99999999999/", "http://h/", true},
        {"https://h/", "http://h/", false},      {"https://h:80/", "http://h:80/", false},
        {"http://h/", "http://h:8080/", false},  {"http://h/", "http://g/", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TIdUrl::Split(c.first).Origin() == TIdUrl::Split(c.second).Origin(), c.same)
            << c.first << " " << c.second;
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

TEST(ResolveUrl, ResolvesReferencesAsRfc3986Does) {
    const std::string base = "http://a/b/c/d;p?q";
    const struct {
        const char* reference;
        const char* target;
    } cases[] = {
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"//g:8080/x?y", "http://g:8080/x?y"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q"},
        {"g#s", "http://a/b/c/g"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"g/../h", "http://a/b/c/h"},
        {"g..", "http://a/b/c/g.."},
        {"next.php?u=http://x/y", "http://a/b/c/next.php?u=http://x/y"},
        {"https://other:8443/p?u=http://x", "https://other:8443/p?u=http://x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveUrl(base, c.reference), c.target) << c.reference;
    EXPECT_EQ(ResolveUrl("http://h", "x"), "http://h/x");
    EXPECT_EQ(ResolveUrl("http://h", "?x://evil/"), "http://h/?x://evil/");
    EXPECT_EQ(ResolveUrl(base, "//g?y"), "http://g/?y");
    EXPECT_EQ(ResolveUrl("/dir/page", "next"), "/dir/next");
}

} // namespace qv::http::test
