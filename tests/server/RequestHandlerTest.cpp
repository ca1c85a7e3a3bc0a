#include "server/RequestHandler.h"
#include "framework/DateTime.h"
#include "framework/Format.h"
#include "framework/StringList.h"
#include "tests/server/TestService.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>

namespace qv::server::test {

namespace {

// One handler for each kind of database, kept for the whole program.
RequestHandler& HandlerOn(DatabaseKind kind) {
    static std::map<DatabaseKind, std::unique_ptr<RequestHandler>> handlers;
    auto& handler = handlers[kind];
    if (!handler) handler = std::make_unique<RequestHandler>(ServiceDatabase(kind));
    return *handler;
}

class RequestHandlerTest : public ::testing::TestWithParam<DatabaseKind> {
protected:
    void SetUp() override {
        QV_REQUIRE_DATABASE(GetParam());
        handler_ = &HandlerOn(GetParam());
    }

    std::string Ask(RequestHandler::Params params, const std::string& email = "demo@quorvane.example",
                    const std::string& password = "demo") {
        params.emplace("email", email);
        params.emplace("password", password);
        return handler_->Handle(params);
    }

    std::string Browse(const std::string& keyword, const std::string& country, int page) {
        return Ask({{"action", "browse"},
                    {"keyword", keyword},
                    {"filterby1", country},
                    {"page", std::to_string(page)}});
    }

    RequestHandler* handler_ = nullptr;
};

const std::vector<std::string> kCountries = {"AT", "BE", "DK", "FI", "FR", "DE", "GR", "IE", "IM",
                                             "IT", "LU", "MC", "NL", "PT", "ES", "SE", "GB"};

struct Page {
    long long total = -1;
    std::vector<std::pair<std::string, std::string>> rows; // title, id
};

// Reads a browse reply the way the client does.
Page Read(const std::string& reply) {
    Page page;
    if (reply.size() < 14 || reply.compare(0, 2, "ok") != 0 || reply.compare(12, 2, "\r\n") != 0) return page;
    page.total = std::stoll(reply.substr(2, 10));
    qv::framework::TStringList lines;
    lines.SetText(reply.substr(14));
    for (int i = 0; i + 1 < lines.Count(); i += 2)
        page.rows.emplace_back(lines[i], lines[i + 1]);
    EXPECT_EQ(lines.Count() % 2, 0);
    return page;
}

} // namespace

TEST_P(RequestHandlerTest, LoginRepliesAreByteExact) {
    EXPECT_EQ(Ask({{"action", "check_login"}}),
              "userAnna M\xFCller{{}}construction,software,medical equipment,cleaning,energy");
    EXPECT_EQ(
        Ask({{"action", "check_login"}}, "ten@quorvane.example"),
        "userJean-Fran\xE7ois Lef\xE8vre{{}}construction,software,cleaning,medical,energy,transport,catering,"
        "security,printing,consulting");
    EXPECT_EQ(Ask({{"action", "check_login"}}, "NONE@quorvane.example"), "userLena S\xF8rensen{{}}");
    EXPECT_EQ(Ask({{"action", "check_login"}}, "demo@quorvane.example", "Demo"), "Bad login");
    EXPECT_EQ(Ask({{"action", "check_login"}}, "nobody@quorvane.example"), "Bad login");
    EXPECT_EQ(Ask({{"action", "check_login"}}, "", ""), "Bad login");
    // A remembered login must not open other accounts or other passwords.
    EXPECT_EQ(Ask({{"action", "browse"}, {"page", "1"}}, "ten@quorvane.example", "demo "), "Bad login");
}

TEST_P(RequestHandlerTest, TodaysTendersPageThroughToTheLast) {
    const Page first = Read(Browse("", "'EU'", 1));
    ASSERT_EQ(first.total, 300);
    ASSERT_EQ(first.rows.size(), 20u);
    EXPECT_EQ(Browse("", "'EU'", 1).substr(0, 14), "ok       300\r\n");
    std::set<std::string> ids;
    for (int page = 1; page <= 15; ++page)
        for (const auto& row : Read(Browse("", "'EU'", page)).rows)
            ids.insert(row.second);
    EXPECT_EQ(ids.size(), 300u);
    const Page beyond = Read(Browse("", "'EU'", 16));
    EXPECT_EQ(beyond.total, 300);
    EXPECT_TRUE(beyond.rows.empty());
}

TEST_P(RequestHandlerTest, CountryFilterNarrowsEveryListing) {
    long long sum = 0;
    for (const std::string& code : kCountries) {
        const Page page = Read(Browse("", "'" + code + "'", 1));
        sum += page.total;
        for (const auto& row : page.rows) {
            const std::string text = Ask({{"action", "view_tender"}, {"id", row.second}});
            EXPECT_NE(text.find(", " + row.first.substr(0, row.first.find('-')) + "\r\n"), std::string::npos)
                << code << " " << row.first;
        }
    }
    EXPECT_EQ(sum, 300);
    EXPECT_EQ(Read(Browse("", "'XX'", 1)).total, 0);
    // Query values may hold line breaks; they must not make two listings share a reply.
    EXPECT_EQ(Read(Browse("", "'EU\n1'", 1)).total, 0);
    EXPECT_GT(Read(Browse("1\n", "'EU'", 1)).total, 0);
    EXPECT_EQ(Read(Browse("road", "DE", 1)).total, Read(Browse("road", "'DE'", 1)).total);
}

TEST_P(RequestHandlerTest, SearchMatchesWordsWithAndWithoutAccents) {
    const Page plain = Read(Browse("Munchen", "'EU'", 1));
    const Page accented = Read(Browse("M\xFCnchen", "'EU'", 1));
    EXPECT_GT(plain.total, 0);
    EXPECT_EQ(plain.total, accented.total);
    for (const auto& row : accented.rows)
        EXPECT_NE(row.first.find("M\xFCnchen"), std::string::npos);
    const Page rd = Read(Browse("R&D", "'EU'", 1));
    ASSERT_GT(rd.total, 0);
    EXPECT_NE(rd.rows.front().first.find("R&D"), std::string::npos);
    EXPECT_EQ(Read(Browse("\"*(&", "'EU'", 1)).total, 0);
    EXPECT_EQ(Read(Browse("zzzzqqq", "'EU'", 1)).total, 0);
    long long sum = 0;
    for (const std::string& code : kCountries)
        sum += Read(Browse("services", "'" + code + "'", 1)).total;
    EXPECT_EQ(sum, Read(Browse("services", "'EU'", 1)).total);
}

TEST_P(RequestHandlerTest, SearchPagesHoldTwentyUntilTheLast) {
    const Page first = Read(Browse("software", "'FR'", 1));
    ASSERT_GT(first.total, 20);
    const int last = static_cast<int>((first.total + 19) / 20);
    const Page end = Read(Browse("software", "'FR'", last));
    EXPECT_EQ(static_cast<long long>(end.rows.size()), first.total - 20LL * (last - 1));
    EXPECT_TRUE(Read(Browse("software", "'FR'", last + 1)).rows.empty());
    // Newest first: ids fall along the listing.
    EXPECT_GT(std::stoll(first.rows.front().second), std::stoll(end.rows.back().second));
}

TEST_P(RequestHandlerTest, ViewGivesTheFullTextWithDates) {
    const Page today = Read(Browse("", "'EU'", 1));
    const std::string reply = Ask({{"action", "view_tender"}, {"id", today.rows.front().second}});
    ASSERT_EQ(reply.substr(0, 4 + today.rows.front().first.size()), "ok\r\n" + today.rows.front().first);
    EXPECT_EQ(reply.find("{D+"), std::string::npos);
    const auto now = qv::framework::DecodeDate(qv::framework::Now());
    EXPECT_NE(reply.find(qv::framework::Format("Date of dispatch of this notice: %02d/%02d/%04d\r\n", now.day,
                                               now.month, now.year)),
              std::string::npos);
    EXPECT_EQ(reply.find('\n'), reply.find("\r\n") + 1);
}

TEST_P(RequestHandlerTest, RefusalsArePlainTexts) {
    EXPECT_EQ(Ask({{"action", "view_tender"}, {"id", "999999"}}), "No such tender");
    for (const char* id : {"", "0", "-3", "1x", " 1", "0x10", "99999999999999999999"})
        EXPECT_EQ(Ask({{"action", "view_tender"}, {"id", id}}), "No such tender") << id;
    for (const char* page : {"", "0", "-1", "+1", "1.5", "1234567890"})
        EXPECT_EQ(Ask({{"action", "browse"}, {"page", page}}), "Bad page number") << page;
    EXPECT_EQ(Ask({{"action", "view_tender"}, {"id", "1"}}, "demo@quorvane.example", "x"), "Bad login");
    EXPECT_EQ(Ask({{"action", "browse"}, {"page", "1"}}, "demo@quorvane.example", ""), "Bad login");
    EXPECT_EQ(Ask({{"action", "delete"}}), "Unknown action");
    EXPECT_EQ(handler_->Handle({}), "Unknown action");
}

TEST_P(RequestHandlerTest, RandomParametersNeverThrow) {
    std::mt19937 random(3);
    const std::vector<std::string> keys = {"action",  "email",     "password", "page",
                                           "keyword", "filterby1", "id"};
    const std::vector<std::string> actions = {"browse", "view_tender", "check_login", "x"};
    for (int round = 0; round < 300; ++round) {
        RequestHandler::Params params{{"action", actions[random() % actions.size()]},
                                      {"email", "demo@quorvane.example"},
                                      {"password", "demo"}};
        for (int n = random() % 6; n > 0; --n) {
            std::string value(random() % 12, '\0');
            for (auto& c : value)
                c = static_cast<char>(random());
            params.emplace(keys[random() % keys.size()], value);
        }
        std::string reply;
        EXPECT_NO_THROW(reply = handler_->Handle(params));
        EXPECT_FALSE(reply.empty());
    }
}

QV_ON_EVERY_DATABASE(RequestHandlerTest);

TEST(BothDatabases, GiveTheSameRepliesByteForByte) {
    QV_REQUIRE_POSTGRES();
    RequestHandler& sqlite = HandlerOn(DatabaseKind::Sqlite);
    RequestHandler& postgres = HandlerOn(DatabaseKind::Postgres);
    const auto ask = [&](RequestHandler::Params params) {
        std::string request;
        for (const auto& [key, value] : params)
            request += key + "=" + value + " ";
        params.emplace("email", "demo@quorvane.example");
        params.emplace("password", "demo");
        const std::string reply = sqlite.Handle(params);
        EXPECT_EQ(postgres.Handle(params), reply) << request;
        return reply;
    };
    // Words the index splits or folds in its own way, repeated words, more words than are read, and
    // a word that names a country in the SQLite index.
    const std::vector<std::string> keywords = {"",
                                               "services",
                                               "Munchen",
                                               "M\xFCnchen",
                                               "R&D",
                                               "road works",
                                               "ROAD road",
                                               "72230000",
                                               "medical equipment",
                                               "zzzzqqq",
                                               "qvcountryde",
                                               "\"*(&",
                                               "e-procurement",
                                               "software 2024",
                                               "a b c d e f g h i j k l m n o p q r",
                                               "\xA0"
                                               "energy\xA0",
                                               "caf\xE9 Caf\xC9"};
    for (const auto& keyword : keywords)
        for (const std::string country : {"'EU'", "'DE'", "'FR'", "'XX'"})
            for (const std::string page : {"1", "2", "40"}) {
                const std::string reply =
                    ask({{"action", "browse"}, {"keyword", keyword}, {"filterby1", country}, {"page", page}});
                // The full text of the first tender listed.
                if (reply.size() > 14 && page == "1") {
                    const size_t id = reply.find("\r\n", 14) + 2;
                    ask({{"action", "view_tender"}, {"id", reply.substr(id, reply.find("\r\n", id) - id)}});
                }
            }
}

} // namespace qv::server::test
