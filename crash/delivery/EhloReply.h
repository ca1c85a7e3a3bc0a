#pragma once

#include "http/text/IdReplyReader.h"

namespace qv::crash {

// What a server's reply to EHLO offers (RFC 5321, 4.1.1.1): one extension a line, its keyword
// after the code.

// Whether the reply offers login authentication: a line whose text after the code begins with
// "AUTH" and names LOGIN among its mechanisms ("=" read as a blank, for the old "AUTH=LOGIN").
bool OffersLogin(const http::TIdReplyReader::TReply& reply);
// Whether the reply offers STARTTLS: a line whose text after the code is that word.
bool OffersStartTls(const http::TIdReplyReader::TReply& reply);

} // namespace qv::crash
