#include "tests/support/client/ClientSandbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

namespace qv::test {

namespace {
constexpr const char* kProxyVariables[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                           "ftp_proxy",  "FTP_PROXY",  "all_proxy",   "ALL_PROXY"};
} // namespace

ClientSandbox::ClientSandbox(uint16_t servicePort, const std::string& scheme)
    : configHome_("qv-config"), serviceHost_(scheme + "://127.0.0.1:" + std::to_string(servicePort)) {
    ::setenv("XDG_CONFIG_HOME", configHome_.Path().c_str(), 1);
    ::setenv("QUORVANE_SERVICE_HOST", serviceHost_.c_str(), 1);
    for (const char* name : kProxyVariables)
        ::unsetenv(name);
}

ClientSandbox::~ClientSandbox() {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("QUORVANE_SERVICE_HOST");
}

MessageBoxRecorder::MessageBoxRecorder() : timer_(new QTimer) {
    QObject::connect(timer_, &QTimer::timeout, [this] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts_.push_back(box->text());
            box->accept();
        }
    });
    timer_->start(5);
}

MessageBoxRecorder::~MessageBoxRecorder() {
    delete timer_;
}

} // namespace qv::test
