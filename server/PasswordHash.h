#pragma once

#include <string>
#include <string_view>

namespace qv::server {

// Stored form: "pbkdf2-sha256$ITERATIONS$SALT$HASH" with salt and hash in hex.
// A fresh random salt for every call.
std::string HashPassword(std::string_view password);
// False for a wrong password and for a stored form that does not parse.
bool VerifyPassword(std::string_view password, std::string_view stored);
// The stored form of a password nobody knows, made once per process: checking a login for an
// unknown account against it costs what checking a wrong password costs.
const std::string& DummyPasswordHash();

} // namespace qv::server
