#include "http/IdURI.h"

#include <gtest/gtest.h>

#include <random>

using namespace qv::http;

namespace {
struct UrlParts {
    std::string scheme, host, path, document, port, bookmark;
};

UrlParts Split(const std::string& url) {
    UrlParts p;
    SplitUrl(url, p.scheme, p.host, p.path, p.document, p.port, p.bookmark);
    return p;
}
} // namespace

TEST(SplitUrl, GivesEveryPartOfAFullUrl) {
    const auto p = Split("http://H:8080/a/b.php?x=1#top");
    EXPECT_EQ(p.scheme, "http");
    EXPECT_EQ(p.host, "H");
    EXPECT_EQ(p.port, "8080");
    EXPECT_EQ(p.path, "/a/");
    EXPECT_EQ(p.document, "b.php?x=1");
    EXPECT_EQ(p.bookmark, "top");
}

TEST(SplitUrl, NothingAfterTheHostGivesTheRootPath) {
    for (const char* url : {"http://host", "http://host/"}) {
        const auto p = Split(url);
        EXPECT_EQ(p.host, "host");
        EXPECT_EQ(p.port, "");
        EXPECT_EQ(p.path, "/");
        EXPECT_EQ(p.document, "");
    }
}

TEST(SplitUrl, ClearsEveryPartFirst) {
    UrlParts p{"s", "h", "p", "d", "1", "b"};
    SplitUrl("doc", p.scheme, p.host, p.path, p.document, p.port, p.bookmark);
    EXPECT_EQ(p.scheme, "");
    EXPECT_EQ(p.host, "");
    EXPECT_EQ(p.port, "");
    EXPECT_EQ(p.path, "/");
    EXPECT_EQ(p.document, "doc");
    EXPECT_EQ(p.bookmark, "");
}

TEST(SplitUrl, ASlashInTheQueryMovesPartOfItIntoThePath) {
    const auto p = Split("http://h/app.php?q=a/b&x=1");
    EXPECT_EQ(p.path, "/app.php?q=a/");
    EXPECT_EQ(p.document, "b&x=1");
    EXPECT_EQ(p.path + p.document, "/app.php?q=a/b&x=1");
}

TEST(SplitUrl, OnlyTheFirstHashOfTheDocumentStartsTheBookmark) {
    auto p = Split("http://h/d#a#b");
    EXPECT_EQ(p.document, "d");
    EXPECT_EQ(p.bookmark, "a#b");
    p = Split("http://h/x#y/z");
    EXPECT_EQ(p.path, "/x#y/");
    EXPECT_EQ(p.document, "z");
    EXPECT_EQ(p.bookmark, "");
}

TEST(SplitUrl, BackslashesCountAsSlashes) {
    const auto p = Split("http:\\\\h\\dir\\f.txt");
    EXPECT_EQ(p.scheme, "http");
    EXPECT_EQ(p.host, "h");
    EXPECT_EQ(p.path, "/dir/");
    EXPECT_EQ(p.document, "f.txt");
}

TEST(SplitUrl, UserInformationStaysInHostAndPort) {
    const auto p = Split("http://user:secret@h:81/");
    EXPECT_EQ(p.host, "user");
    EXPECT_EQ(p.port, "secret@h:81");
    EXPECT_EQ(p.path, "/");
}

TEST(SplitUrl, UrlWithoutSchemeIsAllPathAndDocument) {
    const auto p = Split("dir/sub/file.php?a=1");
    EXPECT_EQ(p.scheme, "");
    EXPECT_EQ(p.host, "");
    EXPECT_EQ(p.path, "/dir/sub/");
    EXPECT_EQ(p.document, "file.php?a=1");
}

TEST(TIdURI, SettingTheUrlFillsTheParts) {
    TIdURI uri("https://example.org:444\\a\\b#m");
    EXPECT_EQ(uri.URI(), "https://example.org:444/a/b#m");
    EXPECT_EQ(uri.Protocol(), "https");
    EXPECT_EQ(uri.Host(), "example.org");
    EXPECT_EQ(uri.Port(), "444");
    EXPECT_EQ(uri.Path(), "/a/");
    EXPECT_EQ(uri.Document(), "b");
    EXPECT_EQ(uri.Bookmark(), "m");
    uri.SetURI("/x");
    EXPECT_EQ(uri.Host(), "");
    EXPECT_EQ(uri.Path(), "/");
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

        ASSERT_FALSE(p.path.empty());
        ASSERT_EQ(p.path.front(), '/');
        ASSERT_EQ(p.document.find('/'), std::string::npos);
        ASSERT_EQ(p.document.find('#'), std::string::npos);
        ASSERT_EQ(p.host.find_first_of(":/"), std::string::npos);
        for (const auto* part : {&p.scheme, &p.host, &p.path, &p.document, &p.port, &p.bookmark})
            ASSERT_EQ(part->find('\\'), std::string::npos);

        std::string forward = url;
        for (auto& c : forward)
            if (c == '\\') c = '/';
        std::string target = forward;
        if (const size_t schemeEnd = forward.find("://"); schemeEnd != std::string::npos) {
            ASSERT_EQ(p.scheme, forward.substr(0, schemeEnd));
            const size_t slash = forward.find('/', schemeEnd + 3);
            target = slash == std::string::npos ? "" : forward.substr(slash + 1);
        }
        if (target.empty() || target.front() != '/') target.insert(0, "/");
        std::string rebuilt = p.path + p.document;
        if (rebuilt.size() < target.size()) rebuilt += "#" + p.bookmark;
        ASSERT_EQ(rebuilt, target) << url;
    }
}
