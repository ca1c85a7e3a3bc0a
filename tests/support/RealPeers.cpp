#include "tests/support/RealPeers.h"

namespace qv::test {

std::unique_ptr<PeerProcess> StartTinyProxy(uint16_t upstreamPort) {
    const std::string upstream =
        upstreamPort ? "Upstream http 127.0.0.1:" + std::to_string(upstreamPort) + "\n" : std::string();
    return std::make_unique<PeerProcess>("/usr/bin/tinyproxy",
                                         std::vector<std::string>{"-d", "-c", "{CONFIG}"},
                                         upstream + "User nobody\n"
                                                    "Group nogroup\n"
                                                    "Port {PORT}\n"
                                                    "Listen 127.0.0.1\n"
                                                    "Bind 127.0.0.1\n"
                                                    "Allow 127.0.0.1\n"
                                                    "Timeout 600\n"
                                                    "MaxClients 50\n"
                                                    "LogLevel Info\n"
                                                    "PidFile \"{DIR}/tinyproxy.pid\"\n");
}

std::unique_ptr<PeerProcess> StartSmtpServer(const std::string& tlsCert, const std::string& tlsKey) {
    const std::string tls = tlsCert.empty()
                                ? "tls = dict(auth_require_tls=False)"
                                : "starttls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)\n"
                                  "starttls.load_cert_chain(\"" +
                                      tlsCert + "\", \"" + tlsKey +
                                      "\")\n"
                                      "tls = dict(tls_context=starttls, require_starttls=True)";
    return std::make_unique<PeerProcess>("/usr/bin/python3", std::vector<std::string>{"{CONFIG}"},
                                         R"(import os, ssl, threading
from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

class Store:
    count = 0
    async def handle_DATA(self, server, session, envelope):
        Store.count += 1
        path = os.path.join("{DIR}", "mail-%d" % Store.count)
        head = "FROM %s\n" % envelope.mail_from + "".join("TO %s\n" % r for r in envelope.rcpt_tos)
        head += ("TLS\n" if session.ssl is not None else "") + "\n"
        with open(path + ".part", "wb") as f:
            f.write(head.encode() + envelope.original_content)
        os.rename(path + ".part", path)
        return "250 OK"

def login(server, session, envelope, mechanism, data):
    return AuthResult(success=isinstance(data, LoginPassword) and data.login == b"reporter"
                      and data.password == b"secret")

)" + tls + R"(
Controller(Store(), hostname="127.0.0.1", port={PORT}, authenticator=login, **tls).start()
threading.Event().wait()
)");
}

std::unique_ptr<PeerProcess> StartDante() {
    return std::make_unique<PeerProcess>(
        "/usr/sbin/danted", std::vector<std::string>{"-f", "{CONFIG}", "-N", "1", "-p", "{DIR}/danted.pid"},
        "logoutput: stderr\n"
        "internal: 127.0.0.1 port = {PORT}\n"
        "external: 127.0.0.1\n"
        "socksmethod: none\n"
        "clientmethod: none\n"
        "user.privileged: root\n"
        "user.unprivileged: nobody\n"
        "client pass {\n"
        "    from: 127.0.0.0/8 to: 0.0.0.0/0\n"
        "}\n"
        "socks pass {\n"
        "    from: 127.0.0.0/8 to: 0.0.0.0/0\n"
        "    command: connect\n"
        "}\n");
}

::testing::AssertionResult PeerRunning(const PeerProcess& peer) {
    if (peer.Started()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "peer did not start (is it installed? scripts/install-deps); its log:\n"
           << peer.Log();
}

} // namespace qv::test
