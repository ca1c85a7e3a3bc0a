#include "http/IdHTTP.h"

#include "framework/Conversions.h"
#include "http/IdIntercept.h"
#include "http/IdResourceStrings.h"
#include "http/IdTextFunctions.h"
#include "http/IdURI.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

namespace qv::http {

namespace {

const char* const requestWords[] = {"HEAD", "GET", "POST"};

int PortOf(const std::string& text) {
    if (text.empty()) return -1;
    for (char c : text)
        if (c < '0' || c > '9') return -1;
    return framework::StrToIntDef(text, -1);
}

int64_t LengthOf(const framework::TStringList& lines) {
    int64_t length = 0;
    for (const std::string& line : lines.Lines())
        length += static_cast<int64_t>(line.size()) + 2;
    return length;
}

// Holds back the socket's small writes while a request head is written, so that its lines,
// each its own send, leave in one segment instead of waiting for the server's delayed ACK.
class CorkedSocket {
public:
    explicit CorkedSocket(TIdSocketHandle& handle) : handle_(handle) { Set(1); }
    ~CorkedSocket() { Set(0); }
    CorkedSocket(const CorkedSocket&) = delete;
    CorkedSocket& operator=(const CorkedSocket&) = delete;

private:
    void Set(int on) {
        if (handle_.Allocated())
            GSocketStack->SetSocketOption(handle_.Handle(), IPPROTO_TCP, TCP_CORK, &on, sizeof on);
    }
    TIdSocketHandle& handle_;
};

} // namespace

TIdHTTP::TIdHTTP(framework::TComponent* owner)
    : TIdTCPClient(owner), request_(this), response_(this), self_(std::make_shared<TIdHTTP*>(this)) {
    Port = 80;
}

TIdHTTP::~TIdHTTP() {
    *self_ = nullptr;
}

std::string TIdHTTP::Get(const std::string& url) {
    TIdBuffer stream;
    Get(url, stream);
    return stream.Release();
}

void TIdHTTP::Get(const std::string& url, framework::TStream& stream) {
    PerformRequest(rkGet, url, {}, &stream);
}

bool TIdHTTP::NotifyRedirect(std::string& url, int hops) {
    bool handled = HandleRedirects;
    if (OnRedirect) OnRedirect(this, url, hops, handled);
    return handled;
}

void TIdHTTP::PerformRequest(RequestKind kind, const std::string& url, TIdRequestSource source,
                             framework::TStream* responseStream) {
    try {
        Exchange(kind, url, source, responseStream);
    } catch (...) {
        hopCount_ = 0;
        throw;
    }
    hopCount_ = 0;
}

void TIdHTTP::Exchange(RequestKind kind, const std::string& url, const TIdRequestSource& source,
                       framework::TStream* responseStream) {
    ++hopCount_;
    std::string scheme, host, path, document, portText, bookmark;
    SplitUrl(url, scheme, host, path, document, portText, bookmark);
    const int port = PortOf(portText);
    std::string target = path + document;
    // Through a proxy the target is absolute; a port the URL names stays in it, or the proxy
    // would connect to the scheme's default port instead.
    if (ApplyTarget(scheme, host, port))
        target = (scheme.empty() ? targetScheme_ : scheme) + "://" + (host.empty() ? targetHost_ : host) +
                 (port != -1 ? ":" + std::to_string(port) : std::string()) + target;
    // A kept connection whose server has closed it since the last reply is dropped here: the
    // close may have arrived after the look that ended that exchange.
    if (Connected()) PollClosed(false);
    if (!Connected()) Connect();
    WriteRequest(kind, target, source);
    const bool http10Reply = ReadStatusLine();
    ReadReplyHeaders();
    // A HEAD reply carries no body, whatever length its headers announce.
    framework::TStream* bodyStream = kind == rkHead ? nullptr : responseStream;
    const bool redirect = (statusCode_ / 100 == 3 && statusCode_ != 304) || !response_.Location.empty();
    ReadBody(bodyStream);
    if (!redirect) {
        if (statusCode_ / 100 != 2) {
            if (InterceptEnabled()) Disconnect();
            throw EIdProtocolReplyError(statusCode_, statusText_);
        }
    } else if (HandleRedirects && hopCount_ < RedirectMaximum) {
        std::string destination = response_.Location;
        if (responseStream) responseStream->SetPosition(0);
        if (NotifyRedirect(destination, hopCount_)) {
            if (ProtocolVersion == pv1_0 || http10Reply) Disconnect();
            PerformRequest(kind, destination, source, responseStream);
        }
    } else {
        // A chain that has reached RedirectMaximum is refused: its last reply is no answer.
        std::string destination = response_.Location;
        if (HandleRedirects || !NotifyRedirect(destination, hopCount_))
            throw EIdProtocolReplyError(statusCode_, statusText_);
        response_.Location = destination;
    }
    EndExchange(http10Reply);
}

bool TIdHTTP::ApplyTarget(const std::string& scheme, const std::string& host, int port) {
    if (request_.ProxyServer.empty()) {
        const bool secure = framework::SameText(scheme, "HTTPS");
        if (secure && !dynamic_cast<TIdSSLConnectionIntercept*>(Intercept()))
            throw EIdInterceptPropInvalid(RSInterceptPropInvalid);
        const int effectivePort = port != -1 ? port : secure ? 443 : 80;
        TakeOverHost(scheme, host, effectivePort);
        // A URL without host goes to the same server, and so to the same port unless it names one.
        if (!host.empty() || port != -1) Port = effectivePort;
        if (secure) SetInterceptEnabled(true);
        return false;
    }
    Host = request_.ProxyServer;
    Port = request_.ProxyPort;
    if (!host.empty()) targetHost_ = host;
    if (!scheme.empty()) targetScheme_ = scheme;
    tunnelHost_ = host;
    tunnelPort_ = port != -1 ? port : 443;
    tunnelVersion_ = VersionText();
    if (TIdConnectionIntercept* intercept = Intercept()) {
        if (dynamic_cast<TIdSSLConnectionIntercept*>(intercept))
            intercept->OnConnect = [self = self_](TIdConnectionIntercept* sender, TIdSocketHandle* handle) {
                if (*self) (*self)->SendTunnelConnect(sender, handle);
            };
        else
            intercept->OnConnect = nullptr;
    }
    return true;
}

void TIdHTTP::TakeOverHost(const std::string& scheme, const std::string& host, int effectivePort) {
    if (host.empty()) {
        targetHost_ = Host;
        return;
    }
    if ((!framework::SameText(host, Host) || effectivePort != Port) && Connected()) Disconnect();
    Host = host;
    targetHost_ = host;
    if (!scheme.empty()) targetScheme_ = scheme;
}

void TIdHTTP::SendTunnelConnect(TIdConnectionIntercept*, TIdSocketHandle*) {
    SetInterceptEnabled(false);
    WriteLine("CONNECT " + tunnelHost_ + ":" + std::to_string(tunnelPort_) + " HTTP/" + tunnelVersion_);
    WriteLine(std::string());
    for (int i = 0; i < 3; ++i)
        ReadReplyLine();
    SetInterceptEnabled(true);
}

void TIdHTTP::WriteRequest(RequestKind kind, const std::string& target, const TIdRequestSource& source) {
    headerLines_.Clear();
    request_.ContentLength = 0;
    if (kind == rkPost) {
        if (const auto* lines = std::get_if<const framework::TStringList*>(&source); lines && *lines)
            request_.ContentLength = static_cast<int32_t>(LengthOf(**lines));
        else if (const auto* stream = std::get_if<framework::TStream*>(&source); stream && *stream)
            request_.ContentLength = static_cast<int32_t>((*stream)->Size());
        else
            throw EIdObjectTypeNotSupported(RSObjectTypeNotSupported);
    }
    request_.WriteToLines(headerLines_);
    {
        CorkedSocket cork(SocketHandle());
        WriteLine(std::string(requestWords[kind]) + " " + target + " HTTP/" + VersionText());
        WriteLine("Host: " + targetHost_);
        WriteLines(headerLines_);
        WriteLine(std::string());
    }
    if (kind != rkPost) return;
    if (const auto* lines = std::get_if<const framework::TStringList*>(&source))
        WriteLines(**lines);
    else
        WriteFromStream(*std::get<framework::TStream*>(source), true, false);
}

bool TIdHTTP::ReadStatusLine() {
    statusText_ = ReadReplyLine();
    const bool http10Reply = statusText_.size() >= 8 && framework::SameText(statusText_.substr(5, 3), "1.0");
    SplitAt(statusText_, " ", true);
    std::string code = statusText_;
    statusCode_ = framework::StrToInt(SplitAt(code, " ", false));
    return http10Reply;
}

std::string TIdHTTP::ReadReplyLine() {
    std::string line = ReadLine();
    if (LineTimedOut()) throw EIdConnClosedGracefully(RSConnectionClosedGracefully);
    return line;
}

void TIdHTTP::ReadReplyHeaders() {
    headerLines_.Clear();
    int64_t size = 0;
    for (std::string line = ReadReplyLine(); !line.empty(); line = ReadReplyLine()) {
        size += static_cast<int64_t>(line.size()) + 2;
        if (size > MaxHeaderSize) throw EIdReplyHeaderTooLarge(RSReplyHeaderTooLarge);
        headerLines_.Add(line);
    }
    response_.TakeFromLines(headerLines_);
}

void TIdHTTP::ReadBody(framework::TStream* stream) {
    if (!stream) return;
    if (response_.ContentLength != 0) {
        ReadCounted(*stream, response_.ContentLength);
    } else if (response_.ExtraHeaders.ValueOf("Transfer-Encoding").find("chunked") != std::string::npos) {
        ReportStatus(stText, RSChunkStarted);
        for (int size = ReadChunkSize(); size > 0; size = ReadChunkSize()) {
            ReadCounted(*stream, size);
            ReadReplyLine();
        }
        ReadReplyLine();
    } else {
        ReadToStream(*stream, -1, true);
    }
}

// A counted read that ends early because the connection was already gone is a cut body too.
void TIdHTTP::ReadCounted(framework::TStream& stream, int64_t count) {
    const int64_t start = stream.Position();
    ReadToStream(stream, count, false);
    if (stream.Position() - start < count) throw EIdConnClosedGracefully(RSConnectionClosedGracefully);
}

int TIdHTTP::ReadChunkSize() {
    std::string line = ReadReplyLine();
    const auto size = framework::TryHexToInt(SplitAt(line, " ", false));
    return static_cast<int>(size.value_or(0));
}

void TIdHTTP::EndExchange(bool http10Reply) {
    if (ProtocolVersion == pv1_0 || http10Reply)
        Disconnect();
    else if (framework::SameText(framework::Trim(response_.Connection), "CLOSE") && Connected())
        Disconnect();
    else
        PollClosed(false);
}

std::string TIdHTTP::VersionText() const {
    return ProtocolVersion == pv1_0 ? "1.0" : "1.1";
}

} // namespace qv::http
