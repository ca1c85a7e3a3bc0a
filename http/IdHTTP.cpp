#include "http/IdHTTP.h"

#include "framework/Conversions.h"
#include "http/IdHTTPReplyFraming.h"
#include "http/IdResourceStrings.h"
#include "http/IdSSLConnectionIntercept.h"
#include "http/text/IdTextFunctions.h"
#include "http/text/IdURI.h"

#include <netinet/in.h>
#include <netinet/tcp.h>

namespace qv::http {

namespace {

const char* const requestWords[] = {"HEAD", "GET", "POST"};

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
    Port = kHttpPort;
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
        // What is left of a reply read only in part would be taken for the next reply.
        if (!replyComplete_) Disconnect();
        throw;
    }
    hopCount_ = 0;
}

void TIdHTTP::Exchange(RequestKind kind, const std::string& url, const TIdRequestSource& source,
                       framework::TStream* responseStream) {
    std::string current = url;
    TIdUrl parts = TIdUrl::Split(current);
    const TIdUrlOrigin origin = parts.Origin();
    for (;;) {
        ++hopCount_;
        // Credentials meant for the first server are not handed to another one it redirects to.
        const bool http10Reply = PerformHop(kind, parts, source, responseStream, parts.Origin() == origin);
        const bool redirect = (statusCode_ / 100 == 3 && statusCode_ != 304) || !response_.Location.empty();
        std::string destination = response_.Location;
        if (!redirect) {
            if (statusCode_ / 100 != 2) RaiseStatusError();
        } else if (HandleRedirects && hopCount_ < RedirectMaximum) {
            if (responseStream) responseStream->SetPosition(0);
            if (NotifyRedirect(destination, hopCount_)) {
                // A next reply without a body must not leave this one's in the stream.
                if (responseStream) responseStream->SetSize(0);
                if (ProtocolVersion == pv1_0 || http10Reply) Disconnect();
                current = ResolveUrl(current, destination);
                parts = TIdUrl::Split(current);
                continue;
            }
        } else {
            // A chain that has reached RedirectMaximum is refused: its last reply is no answer.
            if (HandleRedirects || !NotifyRedirect(destination, hopCount_))
                throw EIdProtocolReplyError(statusCode_, statusText_);
            response_.Location = destination;
        }
        EndExchange(http10Reply);
        return;
    }
}

bool TIdHTTP::PerformHop(RequestKind kind, const TIdUrl& url, const TIdRequestSource& source,
                         framework::TStream* responseStream, bool withAuthorization) {
    const int port = url.PortNumber();
    std::string target = url.Target();
    // Through a proxy the target is absolute; a port the URL names stays in it, or the proxy
    // would connect to the scheme's default port instead.
    if (ApplyTarget(url.scheme, url.host, port))
        target = (url.scheme.empty() ? targetScheme_ : url.scheme) + "://" +
                 (url.host.empty() ? targetHost_ : url.host) +
                 (port != -1 ? ":" + std::to_string(port) : std::string()) + target;
    OpenConnection();
    replyComplete_ = false;
    WriteRequest(kind, target, source, withAuthorization);
    const bool http10Reply = ReadReplyHead();
    DecideFraming(kind);
    ReadBody(responseStream);
    return http10Reply;
}

void TIdHTTP::OpenConnection() {
    if (Connected()) {
        // A close the server sent after the look that ended the last exchange is seen here.
        try {
            PollClosed(false);
        } catch (const EIdSocketError&) {
            Disconnect();
        } catch (const EIdTLSError&) {
            Disconnect();
        }
        if (!replyComplete_ || InputSize() > 0 || RouteChanged()) Disconnect();
    }
    if (!Connected()) Connect();
}

bool TIdHTTP::ApplyTarget(const std::string& scheme, const std::string& host, int port) {
    const bool secure = framework::SameText(scheme.empty() ? targetScheme_ : scheme, "HTTPS");
    TIdSSLConnectionIntercept* tls = TlsIntercept();
    // Through a proxy too: without TLS the proxy would be handed the request in the clear.
    if (secure && !tls) throw EIdInterceptPropInvalid(RSInterceptPropInvalid);
    if (request_.ProxyServer.empty()) {
        TakeOverHost(scheme, host);
        // A URL without host goes to the same server, and so to the same port unless it names one.
        if (!host.empty() || port != -1) Port = port != -1 ? port : secure ? kHttpsPort : kHttpPort;
        if (tls) PrepareTls(*tls, secure, targetHost_);
        return false;
    }
    Host = request_.ProxyServer;
    Port = request_.ProxyPort;
    if (!host.empty()) targetHost_ = host;
    if (!scheme.empty()) targetScheme_ = scheme;
    tunnelHost_ = host;
    tunnelPort_ = port != -1 ? port : kHttpsPort;
    tunnelVersion_ = VersionText();
    if (TIdConnectionIntercept* intercept = Intercept()) {
        if (dynamic_cast<TIdSSLConnectionIntercept*>(intercept))
            intercept->OnConnect = [self = self_](TIdConnectionIntercept* sender, TIdSocketHandle* handle) {
                if (*self) (*self)->SendTunnelConnect(sender, handle);
            };
        else
            intercept->OnConnect = nullptr;
    }
    if (tls) PrepareTls(*tls, secure, tunnelHost_);
    return true;
}

TIdSSLConnectionIntercept* TIdHTTP::TlsIntercept() const {
    return dynamic_cast<TIdSSLConnectionIntercept*>(Intercept());
}

// An https target goes through TLS, checked against its own name; any other goes in the clear,
// also after an https one.
void TIdHTTP::PrepareTls(TIdSSLConnectionIntercept& tls, bool secure, const std::string& hostName) {
    SetInterceptEnabled(secure);
    tls.HostName = hostName;
    tls.HandshakeTimeout = ConnectTimeout;
}

// A connection to the old host or port is dropped before the next request (OpenConnection).
void TIdHTTP::TakeOverHost(const std::string& scheme, const std::string& host) {
    if (host.empty()) {
        targetHost_ = Host;
        return;
    }
    Host = host;
    targetHost_ = host;
    if (!scheme.empty()) targetScheme_ = scheme;
}

// A TLS connection is checked for one name, and a tunnel leads on to TunnelHost: a kept one is
// no way to another target, nor is a connection in the clear a way to an https one.
std::string TIdHTTP::Route() const {
    std::string route = TIdTCPClient::Route();
    if (const TIdSSLConnectionIntercept* tls = TlsIntercept(); tls && InterceptEnabled()) {
        route += " tls " + tls->HostName;
        if (Tunnelled()) route += " tunnel " + tunnelHost_ + ":" + std::to_string(tunnelPort_);
    }
    return route;
}

bool TIdHTTP::Tunnelled() const {
    return !request_.ProxyServer.empty() && TlsIntercept() && InterceptEnabled();
}

void TIdHTTP::SendTunnelConnect(TIdConnectionIntercept*, TIdSocketHandle*) {
    TIdInterceptPause pause(*this);
    WriteLine("CONNECT " + tunnelHost_ + ":" + std::to_string(tunnelPort_) + " HTTP/" + tunnelVersion_);
    if (const std::string credentials = request_.ProxyAuthorizationLine(); !credentials.empty())
        WriteLine(credentials);
    WriteLine(std::string());
    headBytes_ = 0;
    headLines_ = 0;
    ReadStatusLine();
    TIdHeaderList proxyHeaders;
    ReadHeaderBlock(proxyHeaders);
    if (statusCode_ / 100 != 2) throw EIdProtocolReplyError(statusCode_, statusText_);
    // The server behind the tunnel speaks only after the handshake: bytes already here are the
    // proxy's own, and would be read as the reply past TLS.
    if (InputSize() > 0) throw EIdTLSError(RSTLSBytesBeforeHandshake);
}

void TIdHTTP::WriteRequest(RequestKind kind, const std::string& target, const TIdRequestSource& source,
                           bool withAuthorization) {
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
    if (!withAuthorization)
        while (headerLines_.IndexOfHeader("Authorization") >= 0)
            headerLines_.SetValueOf("Authorization", std::string());
    // Through a tunnel the request goes to the server behind it: the proxy's credentials went
    // with the CONNECT.
    if (Tunnelled())
        while (headerLines_.IndexOfHeader("Proxy-Authorization") >= 0)
            headerLines_.SetValueOf("Proxy-Authorization", std::string());
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

bool TIdHTTP::ReadReplyHead() {
    headBytes_ = 0;
    headLines_ = 0;
    for (;;) {
        const bool http10Reply = ReadStatusLine();
        ReadReplyHeaders();
        // 101 would switch to another protocol, which was never asked for: it is a final reply.
        if (statusCode_ / 100 != 1 || statusCode_ == 101) return http10Reply;
    }
}

bool TIdHTTP::ReadStatusLine() {
    statusText_ = ReadHeadLine();
    CountHeadLine();
    const bool http10Reply = statusText_.size() >= 8 && framework::SameText(statusText_.substr(5, 3), "1.0");
    SplitAt(statusText_, " ", true);
    std::string code = statusText_;
    statusCode_ = ReplyStatusCode(SplitAt(code, " ", false));
    return http10Reply;
}

std::string TIdHTTP::ReadReplyLine() {
    std::string line = ReadLine();
    if (LineTimedOut()) throw EIdConnClosedGracefully(RSConnectionClosedGracefully);
    return line;
}

std::string TIdHTTP::ReadHeadLine() {
    std::string line = ReadReplyLine();
    headBytes_ += static_cast<int64_t>(line.size()) + 2;
    if (headBytes_ > MaxHeaderSize) throw EIdReplyHeaderTooLarge(RSReplyHeaderTooLarge);
    return line;
}

void TIdHTTP::CountHeadLine() {
    if (++headLines_ > MaxHeaderLines) throw EIdReplyHeaderTooLarge(RSReplyHeaderTooManyLines);
}

void TIdHTTP::ReadHeaderBlock(TIdHeaderList& lines) {
    std::string field;
    for (std::string line = ReadHeadLine(); !line.empty(); line = ReadHeadLine()) {
        // Joined as they arrive, continuation lines cost one pass however many there are.
        if (!field.empty() && TIdHeaderList::IsContinuation(line)) {
            TIdHeaderList::JoinContinuation(field, line);
            continue;
        }
        if (!field.empty()) lines.Add(field);
        field = std::move(line);
        CountHeadLine();
    }
    if (!field.empty()) lines.Add(field);
}

void TIdHTTP::ReadReplyHeaders() {
    headerLines_.Clear();
    ReadHeaderBlock(headerLines_);
    // Taking the fields removes only the first Content-Length line; the framing needs them all.
    contentLengths_ = headerLines_.ValuesOf("Content-Length");
    response_.TakeFromLines(headerLines_);
}

void TIdHTTP::DecideFraming(RequestKind kind) {
    bodyLength_ = 0;
    if (kind == rkHead || statusCode_ / 100 == 1 || statusCode_ == 204 || statusCode_ == 304) {
        framing_ = BodyFraming::None;
        return;
    }
    // Transfer-Encoding wins over Content-Length (RFC 9112, section 6.3).
    switch (ReplyTransferCoding(response_.ExtraHeaders.ValuesOf("Transfer-Encoding"))) {
    case TransferCoding::Chunked:
        framing_ = BodyFraming::Chunked;
        return;
    case TransferCoding::Other:
        framing_ = BodyFraming::UntilClose;
        return;
    case TransferCoding::Absent:
        break;
    }
    const auto length = ReplyContentLength(contentLengths_);
    framing_ = length ? BodyFraming::Counted : BodyFraming::UntilClose;
    bodyLength_ = length.value_or(0);
}

void TIdHTTP::ReadBody(framework::TStream* stream) {
    if (framing_ != BodyFraming::None) {
        // Without a stream the body stays unread, and the connection cannot carry another exchange.
        if (!stream) return;
        switch (framing_) {
        case BodyFraming::Counted:
            ReadCounted(*stream, bodyLength_);
            break;
        case BodyFraming::Chunked:
            ReadChunkedBody(*stream);
            break;
        default:
            ReadToStream(*stream, -1, true);
            break;
        }
    }
    replyComplete_ = true;
}

void TIdHTTP::ReadChunkedBody(framework::TStream& stream) {
    ReportStatus(stText, RSChunkStarted);
    for (int64_t size = ReadChunkSize(); size > 0; size = ReadChunkSize()) {
        ReadCounted(stream, size);
        if (!ReadReplyLine().empty()) throw EIdMalformedReply(RSChunkNotTerminated);
    }
    // Trailer fields are read to the empty line that ends the body, and dropped.
    headBytes_ = 0;
    headLines_ = 0;
    TIdHeaderList trailer;
    ReadHeaderBlock(trailer);
}

// A counted read that ends early because the connection was already gone is a cut body too.
void TIdHTTP::ReadCounted(framework::TStream& stream, int64_t count) {
    const int64_t start = stream.Position();
    ReadToStream(stream, count, false);
    if (stream.Position() - start < count) throw EIdConnClosedGracefully(RSConnectionClosedGracefully);
}

int64_t TIdHTTP::ReadChunkSize() {
    return ChunkSize(ReadReplyLine());
}

[[noreturn]] void TIdHTTP::RaiseStatusError() {
    if (InterceptEnabled()) Disconnect();
    throw EIdProtocolReplyError(statusCode_, statusText_);
}

void TIdHTTP::EndExchange(bool http10Reply) {
    if (ProtocolVersion == pv1_0 || http10Reply || !replyComplete_)
        Disconnect();
    else if (framework::SameText(framework::Trim(response_.Connection), "CLOSE") && Connected())
        Disconnect();
    else
        PollServerClose();
}

// Once a reply is complete nothing is lost when a server ends TLS with the TCP stream alone.
void TIdHTTP::PollServerClose() {
    try {
        PollClosed(false);
    } catch (const EIdTLSStreamCut&) {
        Disconnect();
    }
}

std::string TIdHTTP::VersionText() const {
    return ProtocolVersion == pv1_0 ? "1.0" : "1.1";
}

} // namespace qv::http
