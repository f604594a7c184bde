// The readers' read, shared by the functions the front end calls and by the
// reader thread, which must tell a port it cannot open from a silent reader.
#pragma once
#include <string>

namespace Qdm00800::detail {

enum class ReadResult { kNoPort, kRead };

// One read of the optical reader (type-2 trimming included). kNoPort when
// the port could not be opened or set up.
ReadResult ReadOptical(std::string& reading);

}  // namespace Qdm00800::detail
