#include "service/ServiceExchange.h"
#include "http/IdHTTP.h"
#include "platform/ProxyList.h"
#include "service/FindProxy.h"
#include "service/RequestUrls.h"
#include "service/ServiceHost.h"
#include "service/ServiceReplies.h"
#include "tests/server/TestService.h"
#include "tests/support/RealPeers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace qv::service::test {

namespace {

const std::string kEmail = "demo@quorvane.example";
const std::string kPassword = "demo";

// The program's client against quorvane-service, addressed through QUORVANE_SERVICE_HOST.
class ServiceExchangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { service_ = qv::server::test::StartService(); }
    static void TearDownTestSuite() { service_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(service_->Started()) << service_->Log();
        ::setenv("QUORVANE_SERVICE_HOST", ("127.0.0.1:" + std::to_string(service_->Port())).c_str(), 1);
        ApplyServiceSettings(http_.Request());
    }
    void TearDown() override { ::unsetenv("QUORVANE_SERVICE_HOST"); }

    std::string Browse(const std::string& keyword, const std::string& country, int page) {
        return Exchange(http_, BrowseUrl(ServiceHost(), kEmail, kPassword, page, keyword, country));
    }
    std::string View(const std::string& id) {
        return Exchange(http_, ViewTenderUrl(ServiceHost(), kEmail, kPassword, id));
    }

    static std::unique_ptr<qv::test::PeerProcess> service_;
    qv::http::TIdHTTP http_;
};

std::unique_ptr<qv::test::PeerProcess> ServiceExchangeTest::service_;

} // namespace

TEST_F(ServiceExchangeTest, LoginAcceptedAndRefused) {
    const std::string accepted = Exchange(http_, CheckLoginUrl(ServiceHost(), kEmail, kPassword));
    ASSERT_TRUE(LoginSucceeded(accepted));
    EXPECT_EQ(LoginTail(accepted),
              "Anna M\xFCller{{}}construction,software,medical equipment,cleaning,energy");
    EXPECT_FALSE(http_.Connected());
    EXPECT_FALSE(LoginSucceeded(Exchange(http_, CheckLoginUrl(ServiceHost(), kEmail, "demo&x=1"))));
    EXPECT_FALSE(
        LoginSucceeded(Exchange(http_, CheckLoginUrl(ServiceHost(), "nobody@quorvane.example", kPassword))));
}

TEST_F(ServiceExchangeTest, PagingThroughASearchReachesItsLastPage) {
    const std::string first = Browse("cleaning", "IT", 1);
    ASSERT_TRUE(ReplySucceeded(first));
    const int32_t total = BrowseReplyTotal(first);
    ASSERT_GT(total, 20);
    const int pages = (total + 19) / 20;
    std::set<std::string> ids;
    for (int page = 1; page <= pages; ++page) {
        const auto rows = BrowseReplyRows(Browse("cleaning", "IT", page));
        EXPECT_EQ(static_cast<int>(rows.size()), page < pages ? 20 : total - 20 * (pages - 1));
        for (const auto& row : rows)
            ids.insert(row.id);
    }
    EXPECT_EQ(static_cast<int32_t>(ids.size()), total);
}

TEST_F(ServiceExchangeTest, CountryFilterAndFullText) {
    const auto rows = BrowseReplyRows(Browse("", "PT", 1));
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
        EXPECT_EQ(row.title.rfind("Portugal-", 0), 0u) << row.title;
        const std::string reply = View(row.id);
        ASSERT_TRUE(ReplySucceeded(reply));
        EXPECT_EQ(ViewReplyText(reply).rfind(row.title + "\r\nContract notice\r\n", 0), 0u);
    }
    EXPECT_FALSE(ReplySucceeded(View("0")));
}

TEST_F(ServiceExchangeTest, KeywordsKeepAmpersandsPlusesBlanksAndAccents) {
    const auto titlesHold = [&](const std::string& keyword, const std::string& part) {
        const std::string reply = Browse(keyword, "EU", 1);
        const auto rows = BrowseReplyRows(reply);
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

// The client leaves the URL's port out of a proxy request, so tinyproxy hands every request
// on to the service as its upstream.
TEST_F(ServiceExchangeTest, ThroughTheSystemProxy) {
    const auto proxy = qv::test::StartTinyProxy();
    ASSERT_TRUE(qv::test::PeerRunning(*proxy));
    ::setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy->Port()) + "/").c_str(), 1);
    const ProxySetting setting = FindProxy("http");
    ::unsetenv("http_proxy");
    EXPECT_EQ(setting.host, "127.0.0.1");
    EXPECT_EQ(setting.port, proxy->Port());
    http_.Request().ProxyServer = setting.host;
    http_.Request().ProxyPort = setting.port;

    EXPECT_TRUE(LoginSucceeded(Exchange(http_, CheckLoginUrl(ServiceHost(), kEmail, kPassword))));
    const std::string today = Browse("", "EU", 2);
    ASSERT_TRUE(ReplySucceeded(today));
    EXPECT_EQ(BrowseReplyTotal(today), 300);
    EXPECT_EQ(BrowseReplyRows(today).size(), 20u);
    const std::string requestLine = "GET http://127.0.0.1:" + std::to_string(service_->Port()) +
                                    "/app.php?action=browse&email=demo@quorvane.example"
                                    "&password=demo&page=2&keyword=&filterby1='EU' HTTP/1.1";
    EXPECT_NE(proxy->Log().find(requestLine), std::string::npos) << proxy->Log();
}

} // namespace qv::service::test
