#pragma once

#include <string>

namespace qv::platform {

// The system's proxy list text in the WinInet form, built from the proxy environment:
// http_proxy / HTTP_PROXY, https_proxy / HTTPS_PROXY, ftp_proxy / FTP_PROXY and
// all_proxy / ALL_PROXY. A value "http://host:port/" gives "host:port". With all_proxy
// alone the text is that single pair; otherwise "http=...;https=...;ftp=..." for the
// schemes that have a proxy, all_proxy standing in for those without one. Empty when no
// proxy is set, or when the text would not fit the 4096 bytes the system query allows.
std::string QueryProxyList();

// The host:port part of one proxy variable's value; empty when it holds none, names a SOCKS
// server (a socks4://, socks5://, ... scheme), or holds characters that would break the list text.
std::string ProxyAddress(const std::string& value);

} // namespace qv::platform
