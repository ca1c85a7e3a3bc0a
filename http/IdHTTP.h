#pragma once

#include "framework/Stream.h"
#include "framework/StringList.h"
#include "http/IdHeaderInfo.h"
#include "http/IdTCPClient.h"
#include "http/text/IdHeaderList.h"
#include "http/text/IdURI.h"

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace qv::http {

class TIdConnectionIntercept;
class TIdSSLConnectionIntercept;

enum TIdHTTPProtocolVersion { pv1_0, pv1_1 };
enum RequestKind { rkHead, rkGet, rkPost };

// Asked before a redirect is followed or refused: the handler may change dest, and its final
// Handled (preset to HandleRedirects) decides.
using TIdHTTPOnRedirectEvent =
    std::function<void(framework::TComponent* Sender, std::string& dest, int NumRedirect, bool& Handled)>;

// The body of a POST request: a string list (sent line by line with CR LF) or a stream (sent
// from its start); {} for none, which a POST refuses.
using TIdRequestSource = std::variant<std::monostate, const framework::TStringList*, framework::TStream*>;

// The blocking HTTP/1.x client: one exchange per call over one connection at a time,
// redirects, proxies and the CONNECT tunnel; https through a TIdSSLConnectionIntercept set as
// Intercept. Nothing is retried. There is no time-out unless ConnectTimeout or ReadTimeout is set.
//
// A kept connection carries the next exchange only while it is in step: a call that ends by an
// exception before its reply was read to the end drops it, and so does a change of the peer
// (Host, Port, the proxy or the SOCKS server) or anything the server sent unasked in between.
class TIdHTTP : public TIdTCPClient {
public:
    explicit TIdHTTP(framework::TComponent* owner = nullptr);
    ~TIdHTTP() override;

    TIdHTTPProtocolVersion ProtocolVersion = pv1_1;
    // A redirect is followed automatically only while HopCount is below it.
    int RedirectMaximum = 15;
    bool HandleRedirects = false;
    TIdHTTPOnRedirectEvent OnRedirect;
    // Largest reply head accepted in bytes, interim replies included, so that a server cannot
    // make it grow without bound.
    int64_t MaxHeaderSize = 1024 * 1024;
    // Most header lines accepted in a reply head (a line with its continuation lines counts
    // once; each status line counts too), so that reading them stays cheap.
    int MaxHeaderLines = 10000;

    TIdHeaderInfo& Request() { return request_; }
    TIdHeaderInfo& Response() { return response_; }
    TIdHeaderList& HeaderLines() { return headerLines_; }
    int StatusCode() const { return statusCode_; }
    // The status line without its protocol token, for example "200 OK".
    const std::string& StatusText() const { return statusText_; }
    int HopCount() const { return hopCount_; }
    const std::string& TargetHost() const { return targetHost_; }
    const std::string& TargetScheme() const { return targetScheme_; }
    const std::string& TunnelHost() const { return tunnelHost_; }
    int TunnelPort() const { return tunnelPort_; }
    const std::string& TunnelVersion() const { return tunnelVersion_; }

    // The reply body of a GET, byte for byte.
    std::string Get(const std::string& url);
    void Get(const std::string& url, framework::TStream& stream);

    virtual bool NotifyRedirect(std::string& url, int hops);
    // One complete exchange, with the redirects that are followed; without a response stream
    // no body is read.
    virtual void PerformRequest(RequestKind kind, const std::string& url, TIdRequestSource source,
                                framework::TStream* responseStream);

    // The intercept's OnConnect in a proxy tunnel: asks the proxy to connect on to the tunnel's target.
    void SendTunnelConnect(TIdConnectionIntercept* sender, TIdSocketHandle* handle);

protected:
    // Decides where to connect; true when a proxy is used.
    bool ApplyTarget(const std::string& scheme, const std::string& host, int port);
    void ReadReplyHeaders();
    void ReadBody(framework::TStream* stream);
    int64_t ReadChunkSize();
    std::string Route() const override;
    // Whether requests go through a proxy's tunnel to the server behind it.
    bool Tunnelled() const;

private:
    // How the body of the reply just read ends.
    enum class BodyFraming { None, Counted, Chunked, UntilClose };

    void Exchange(RequestKind kind, const std::string& url, const TIdRequestSource& source,
                  framework::TStream* responseStream);
    // One request and its reply, body included; true for an HTTP/1.0 reply.
    bool PerformHop(RequestKind kind, const TIdUrl& url, const TIdRequestSource& source,
                    framework::TStream* responseStream, bool withAuthorization);
    void TakeOverHost(const std::string& scheme, const std::string& host);
    TIdSSLConnectionIntercept* TlsIntercept() const;
    void PrepareTls(TIdSSLConnectionIntercept& tls, bool secure, const std::string& hostName);
    // Keeps the open connection only when it may carry the next request, then connects if need be.
    void OpenConnection();
    void WriteRequest(RequestKind kind, const std::string& target, const TIdRequestSource& source,
                      bool withAuthorization);
    // Reads status lines and headers up to the final reply, passing over interim (1xx) replies;
    // true for an HTTP/1.0 reply.
    bool ReadReplyHead();
    // Reads the status line; true for an HTTP/1.0 reply.
    bool ReadStatusLine();
    // Reads header lines up to the empty line into `lines`, continuation lines joined on to the
    // line they continue.
    void ReadHeaderBlock(TIdHeaderList& lines);
    // A reply line; a peer that closes in the middle of one ends the exchange.
    std::string ReadReplyLine();
    // A line of the reply head, charged against MaxHeaderSize.
    std::string ReadHeadLine();
    void CountHeadLine();
    void DecideFraming(RequestKind kind);
    void ReadChunkedBody(framework::TStream& stream);
    void ReadCounted(framework::TStream& stream, int64_t count);
    // The reply's status as the error of the call.
    [[noreturn]] void RaiseStatusError();
    void EndExchange(bool http10Reply);
    void PollServerClose();
    std::string VersionText() const;

    TIdHeaderList headerLines_;
    int hopCount_ = 0;
    TIdHeaderInfo request_;
    TIdHeaderInfo response_;
    int statusCode_ = 0;
    std::string statusText_;
    std::string tunnelHost_;
    int tunnelPort_ = 0;
    std::string tunnelVersion_;
    std::string targetHost_;
    std::string targetScheme_;
    // The last reply was read to its end: the connection may carry the next exchange.
    bool replyComplete_ = true;
    BodyFraming framing_ = BodyFraming::None;
    int64_t bodyLength_ = 0;
    // The values of the last reply's Content-Length lines, taken before the header fields are.
    std::vector<std::string> contentLengths_;
    int64_t headBytes_ = 0;
    int headLines_ = 0;
    // The intercept may outlive this component: the tunnel hook it holds reaches us through this.
    std::shared_ptr<TIdHTTP*> self_;
};

} // namespace qv::http
