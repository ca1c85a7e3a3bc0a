#include "server/TenderBackend.h"
#include "tests/server/TestService.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackClient.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <thread>

namespace qv::server::test {

namespace {

struct Reply {
    std::string status;
    std::string body;
};

// Sends the bytes as they are and reads until the server closes. `halfClose` shuts the
// write side at once, so that a partial request cannot keep the server waiting.
std::string Exchange(uint16_t port, const std::string& bytes, bool halfClose) {
    qv::test::LoopbackClient client(port);
    client.Send(bytes);
    if (halfClose) client.ShutdownWrite();
    return client.ReadUntilClosed(std::chrono::seconds(10));
}

Reply Get(uint16_t port, const std::string& target) {
    const std::string raw =
        Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", false);
    const size_t lineEnd = raw.find("\r\n");
    const size_t headEnd = raw.find("\r\n\r\n");
    if (lineEnd == std::string::npos || headEnd == std::string::npos) return {raw, ""};
    return {raw.substr(0, lineEnd), raw.substr(headEnd + 4)};
}

std::string Target(const std::string& action, const std::string& rest = "") {
    return "/app.php?action=" + action + "&email=demo@quorvane.example&password=demo" + rest;
}

// One service on each kind of database, for the whole program.
qv::test::PeerProcess& ServiceOn(DatabaseKind kind) {
    static std::map<DatabaseKind, std::unique_ptr<qv::test::PeerProcess>> services;
    auto& service = services[kind];
    if (!service) service = StartServiceOn(ServiceDatabase(kind));
    return *service;
}

class ServiceProcessTest : public ::testing::TestWithParam<DatabaseKind> {
protected:
    void SetUp() override {
        QV_REQUIRE_DATABASE(GetParam());
        service_ = &ServiceOn(GetParam());
        ASSERT_TRUE(service_->Started()) << service_->Log();
    }

    uint16_t Port() const { return service_->Port(); }

    qv::test::PeerProcess* service_ = nullptr;
};

} // namespace

TEST_P(ServiceProcessTest, EachActionAnswersByteExact) {
    const Reply login = Get(Port(), Target("check_login"));
    EXPECT_EQ(login.status, "HTTP/1.1 200 OK");
    EXPECT_EQ(login.body, "userAnna M\xFCller{{}}construction,software,medical equipment,cleaning,energy");
    EXPECT_EQ(Get(Port(), "/app.php?action=check_login&email=demo@quorvane.example&password=x").body,
              "Bad login");

    const Reply today = Get(Port(), Target("browse", "&page=1&keyword=&filterby1='EU'"));
    EXPECT_EQ(today.body.substr(0, 14), "ok       300\r\n");
    EXPECT_EQ(std::count(today.body.begin(), today.body.end(), '\n'), 41);
    EXPECT_EQ(today.body.substr(today.body.size() - 2), "\r\n");

    const std::string firstId = today.body.substr(today.body.find("\r\n", 14) + 2,
                                                  today.body.find("\r\n", today.body.find("\r\n", 14) + 2) -
                                                      today.body.find("\r\n", 14) - 2);
    const Reply view = Get(Port(), Target("view_tender", "&id=" + firstId));
    EXPECT_EQ(view.body.substr(0, 4), "ok\r\n");
    EXPECT_EQ(view.body.substr(4, today.body.find("\r\n", 14) - 14),
              today.body.substr(14, today.body.find("\r\n", 14) - 14));
    EXPECT_EQ(Get(Port(), Target("view_tender", "&id=0")).body, "No such tender");
    EXPECT_EQ(Get(Port(), Target("fly")).body, "Unknown action");
    EXPECT_EQ(Get(Port(), "/index.html").status, "HTTP/1.1 404 Not Found");
    // The absolute form, as requests that come through a proxy carry it.
    EXPECT_EQ(
        Get(Port(),
            "http://tenders.example/app.php?action=check_login&email=none@quorvane.example&password=demo")
            .body,
        "userLena S\xF8rensen{{}}");
    EXPECT_EQ(Get(Port(), "/x/app.php?action=fly").status, "HTTP/1.1 404 Not Found");
}

TEST_P(ServiceProcessTest, QueryIsDecodedAsWebServersDo) {
    const auto total = [](const Reply& reply) { return reply.body.substr(0, 12); };
    const std::string spaced =
        total(Get(Port(), Target("browse", "&page=1&keyword=medical%20equipment&filterby1='EU'")));
    EXPECT_EQ(total(Get(Port(), Target("browse", "&page=1&keyword=medical+equipment&filterby1='EU'"))),
              spaced);
    EXPECT_NE(spaced, "ok         0");
    EXPECT_EQ(total(Get(Port(), Target("browse", "&page=1&keyword=M%FCnchen&filterby1=%27DE%27"))),
              total(Get(Port(), Target("browse", "&page=1&keyword=M%FCnchen&filterby1='DE'"))));
    const Reply rd = Get(Port(), Target("browse", "&page=1&keyword=R%26D&filterby1='EU'"));
    EXPECT_NE(rd.body.find("R&D"), std::string::npos);
    // Unescaped, the "&" ends the value: the service then searches for the first word alone.
    const std::string cut =
        total(Get(Port(), Target("browse", "&page=1&keyword=supply&works&filterby1='EU'")));
    EXPECT_EQ(cut, total(Get(Port(), Target("browse", "&page=1&keyword=supply&filterby1='EU'"))));
    EXPECT_NE(cut, total(Get(Port(), Target("browse", "&page=1&keyword=supply%26works&filterby1='EU'"))));
}

TEST_P(ServiceProcessTest, MalformedRequestsNeverStopTheService) {
    const std::vector<std::string> targets = {
        "/app.php?%",
        "/app.php?%%%&&==&=",
        "/app.php?action=%00",
        "/app.php?action=browse&page=%FF",
        "/app.php?action",
        "/app.php?=browse",
        "/app.php?action=check_login&email=%zz&password=%",
        "/app.php?" + std::string(7000, 'a'),
        "/app.php?action=" + std::string(20000, '%'),
        Target("browse", "&page=99999999&keyword=%22%2A%28&filterby1='"),
        Target("view_tender", "&id=9223372036854775807"),
    };
    for (const auto& target : targets) {
        const Reply reply = Get(Port(), target);
        EXPECT_EQ(reply.status.substr(0, 9), "HTTP/1.1 ") << target.substr(0, 60);
        EXPECT_NE(reply.status.substr(9, 1), "5") << target.substr(0, 60);
    }
    std::mt19937 random(9);
    for (int round = 0; round < 150; ++round) {
        std::string bytes = round % 2 ? "GET /app.php?" : "";
        for (int n = random() % 200; n > 0; --n)
            bytes += static_cast<char>(round % 3 ? "a=&%+?\r\n :/0F"[random() % 14] : random());
        Exchange(Port(), bytes, true);
    }
    EXPECT_EQ(Get(Port(), Target("check_login")).body.substr(0, 4), "user");
}

TEST_P(ServiceProcessTest, LogsOneLineForEachRequestWithoutPasswords) {
    const auto count = [this] {
        const std::string log = service_->Log();
        return std::count(log.begin(), log.end(), '\n');
    };
    const auto before = count();
    for (int i = 0; i < 5; ++i)
        Get(Port(),
            "/app.php?action=check_login&email=demo@quorvane.example&password=secret-" + std::to_string(i));
    EXPECT_EQ(count() - before, 5);
    EXPECT_EQ(service_->Log().find("secret-"), std::string::npos);
    EXPECT_NE(service_->Log().find("GET /app.php action=check_login 200 9"), std::string::npos);
}

QV_ON_EVERY_DATABASE(ServiceProcessTest);

TEST(PostgresServices, ShareOneDatabaseAndSeeAnImportWholeWithoutWaitingForIt) {
    QV_REQUIRE_POSTGRES();
    const std::string database = NewDatabase(DatabaseKind::Postgres, "");
    const auto imported =
        qv::test::RunProgram(QV_SERVICE_PATH, {"--db", database, "--import", QV_NOTICE_DIR});
    ASSERT_EQ(imported.out, "6 notices read, 5 imported, 0 replaced, 1 skipped\n") << imported.err;
    const auto first = StartServiceOn(database);
    const auto second = StartServiceOn(database);
    ASSERT_TRUE(first->Started()) << first->Log();
    ASSERT_TRUE(second->Started()) << second->Log();
    const std::string search = Target("browse", "&page=1&keyword=dredging&filterby1='EU'");
    const auto total = [&](const qv::test::PeerProcess& service) {
        return Get(service.Port(), search).body.substr(0, 12);
    };
    EXPECT_EQ(total(*first), "ok         1");
    EXPECT_EQ(total(*second), "ok         1");

    // A package of two tenders, held open while both services answer from what was there before.
    const auto writer = TenderBackend::For(database)->OpenWriter();
    writer->Begin();
    for (int64_t n = 1; n <= 2; ++n) {
        const std::string title = "Ireland-Cork: Dredging of quay " + std::to_string(n);
        writer->Insert({(int64_t{45000} << 20) + n, "IE", 45000, title, title + "\n"});
    }
    EXPECT_EQ(total(*first), "ok         1");
    EXPECT_EQ(total(*second), "ok         1");
    writer->Commit();
    // The services hear of the import a moment after it commits.
    for (const auto* service : {first.get(), second.get()}) {
        std::string seen;
        for (int attempt = 0; attempt < 100 && (seen = total(*service)) != "ok         3"; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(seen, "ok         3") << service->Log();
    }
}

} // namespace qv::server::test
