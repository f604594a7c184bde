// The readers' read, shared by the functions the front end calls and by the
// reader thread, which can stop a reading being gathered.
#pragma once
#include <functional>
#include <string>

namespace Qdm00800::detail {

enum class ReadResult { kNoPort, kRead };

// Gathers one reading of the optical reader (type-2 trimming included);
// `stop` is looked at between reads. kNoPort when the port could not be
// opened or set up.
ReadResult ReadOptical(std::string& reading, const std::function<bool()>& stop);

}  // namespace Qdm00800::detail
