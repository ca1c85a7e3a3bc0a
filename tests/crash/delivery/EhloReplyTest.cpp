#include "crash/delivery/EhloReply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qv::crash::test {

TEST(EhloReply, TellsTheCodeAndWhetherLoginIsOffered) {
    const struct {
        std::vector<std::string> lines;
        const char* code;
        bool login;
    } cases[] = {
        {{"250-mail", "250-AUTH PLAIN LOGIN", "250 SIZE"}, "250", true},
        {{"250-mail", "250 AUTH=LOGIN"}, "250", true},
        {{"250-AUTH PLAIN", "250 X-LOGIN LOGIN"}, "250", false},
        {{"504-AUTH LOGIN", "55"}, "55", true},
    };
    for (const auto& c : cases) {
        const http::TIdReplyReader::TReply reply{c.lines};
        EXPECT_EQ(reply.Code(), c.code) << c.lines.back();
        EXPECT_EQ(OffersLogin(reply), c.login) << c.lines.back();
    }
}

} // namespace qv::crash::test
