#include "service/ServiceExchange.h"
#include "http/IdException.h"
#include "http/IdHTTP.h"
#include "platform/ProxyList.h"
#include "service/FindProxy.h"
#include "service/ServiceRequests.h"
#include "tests/server/TestService.h"
#include "tests/support/RealPeers.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace qv::service::test {

namespace {

const std::string kEmail = "demo@quorvane.example";
const std::string kPassword = "demo";

// The program's requests through its client against quorvane-service.
class ServiceExchangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = qv::server::test::StartService(); }
    static void TearDownTestSuite() { service_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(service_->Started()) << service_->Log();
        state_.serviceHost = "127.0.0.1:" + std::to_string(service_->Port());
        state_.email = kEmail;
        state_.password = kPassword;
        ApplyServiceSettings(http_.Request());
    }

    std::optional<BrowsePage> List(const std::string& keyword, const std::string& country, int page) {
        state_.keyword = keyword;
        state_.page = page;
        return Browse(http_, state_, country);
    }

    static std::unique_ptr<qv::test::PeerProcess> service_;
    qv::http::TIdHTTP http_;
    ClientState state_;
};

std::unique_ptr<qv::test::PeerProcess> ServiceExchangeTest::service_;

} // namespace

TEST_F(ServiceExchangeTest, LoginAcceptedAndRefused) {
    ASSERT_TRUE(CheckLogin(http_, state_));
    EXPECT_EQ(state_.loginTail, "Anna M\xFCller{{}}construction,software,medical equipment,cleaning,energy");
    EXPECT_EQ(state_.loginReply, "user" + state_.loginTail);
    EXPECT_FALSE(http_.Connected());
    state_.password = "demo&x=1";
    EXPECT_FALSE(CheckLogin(http_, state_));
    EXPECT_EQ(state_.loginReply, "Bad login");
    state_.email = "nobody@quorvane.example";
    state_.password = kPassword;
    EXPECT_FALSE(CheckLogin(http_, state_));
}

TEST_F(ServiceExchangeTest, PagingThroughASearchReachesItsLastPage) {
    const auto first = List("cleaning", "IT", 1);
    ASSERT_TRUE(first);
    const int32_t total = first->total;
    ASSERT_GT(total, 20);
    const int pages = (total + 19) / 20;
    std::set<std::string> ids;
    for (int page = 1; page <= pages; ++page) {
        const auto rows = List("cleaning", "IT", page).value().rows;
        EXPECT_EQ(static_cast<int>(rows.size()), page < pages ? 20 : total - 20 * (pages - 1));
        for (const auto& row : rows)
            ids.insert(row.id);
    }
    EXPECT_EQ(static_cast<int32_t>(ids.size()), total);
}

TEST_F(ServiceExchangeTest, CountryFilterAndFullText) {
    const auto rows = List("", "PT", 1).value().rows;
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        const auto text = ViewTender(http_, state_, row.id);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->rfind(row.title + "\r\nContract notice\r\n", 0), 0u);
    }
    EXPECT_FALSE(ViewTender(http_, state_, "0"));
}

TEST_F(ServiceExchangeTest, KeywordsKeepAmpersandsPlusesBlanksAndAccents) {
    const auto titlesHold = [&](const std::string& keyword, const std::string& part) {
        const auto rows = List(keyword, "EU", 1).value().rows;
        bool all = !rows.empty();
        for (const auto& row : rows)
            all = all && row.title.find(part) != std::string::npos;
        return all;
    };
    EXPECT_TRUE(titlesHold("R&D", "R&D"));
    EXPECT_TRUE(titlesHold("R&D+projects", "R&D projects"));
    EXPECT_TRUE(titlesHold("medical equipment", "medical equipment"));
    EXPECT_TRUE(titlesHold("Saint-\xC9tienne", "Saint-\xC9tienne"));
}

// The proxy that the state holds carries every request, with the service's port in its target.
TEST_F(ServiceExchangeTest, ThroughTheSystemProxy) {
    const auto proxy = qv::test::StartTinyProxy();
    ASSERT_TRUE(qv::test::PeerRunning(*proxy));
    ::setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy->Port()) + "/").c_str(), 1);
    const ProxySetting setting = FindProxy("http");
    ::unsetenv("http_proxy");
    EXPECT_EQ(setting.host, "127.0.0.1");
    EXPECT_EQ(setting.port, proxy->Port());
    state_.proxyHost = setting.host;
    state_.proxyPort = setting.port;

    EXPECT_TRUE(CheckLogin(http_, state_));
    const auto today = List("", "EU", 2);
    ASSERT_TRUE(today);
    EXPECT_EQ(today->total, 300);
    EXPECT_EQ(today->rows.size(), 20u);
    const std::string requestLine = "GET http://127.0.0.1:" + std::to_string(service_->Port()) +
                                    "/app.php?action=browse&email=demo@quorvane.example"
                                    "&password=demo&page=2&keyword=&filterby1='EU' HTTP/1.1";
    EXPECT_NE(proxy->Log().find(requestLine), std::string::npos) << proxy->Log();
}

// A reply announcing more than the service ever sends is refused before any of it is stored.
TEST(ServiceReplyLimit, AnOversizedReplyFailsAtOnce) {
    qv::test::ScriptedServer server([](qv::test::ScriptedPeer& peer, int) {
        peer.ReadHead();
        peer.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kServiceMaxReplyBytes + 1) +
                  "\r\n\r\nuser");
        peer.Close();
    });
    qv::http::TIdHTTP http;
    ApplyServiceLimits(http);
    ClientState state;
    state.serviceHost = "127.0.0.1:" + std::to_string(server.Port());
    state.email = kEmail;
    state.password = kPassword;
    EXPECT_THROW(CheckLogin(http, state), qv::http::EIdMaxStreamSizeExceeded);
}

} // namespace qv::service::test
