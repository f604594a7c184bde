// The service's bearer token: 256 random bits as 64 hex digits, made at the
// first start in the register's home, in a file only its owner may read.
// `qdm_service token` shows it to whoever sets up the front end.
#pragma once
#include <string>

namespace qdm_service {

inline constexpr const char* kTokenFileName = "qdm_service.token";

// The home's token, made when there is none yet (or the file holds no
// token: a start cut by a power failure). Raises std::runtime_error, with a
// Windows-1252 message for the operator, when the file may be read by
// other users, is not a plain file of this user, or cannot be written.
std::string LoadOrCreateToken(const std::string& home);

// Compares in a time that does not depend on where the texts differ.
bool TokenMatches(const std::string& expected, const std::string& given);

}  // namespace qdm_service
