// The journal's lines read in pieces, never the file whole: back from its
// end as far as the reader wants, or through it from the start. A line is
// a run of bytes ended by '\n'; a line longer than max_journal_line (a
// damaged file) is passed over without being gathered in memory, and a last
// line without its end (cut by a power failure) is not a line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace tef_emu {

inline constexpr std::size_t max_journal_line = 64 * 1024;

// Where the complete lines of the file end (just after its last '\n'; 0 when
// it has none), and whether bytes follow them (a torn last line).
struct JournalEnd {
  std::uint64_t lines_end = 0;
  bool torn = false;
};
JournalEnd journal_end(const std::filesystem::path& path);

// Visits the lines that end before `end`, newest first, each with the
// offset where it starts, while `visit` answers true.
using BackwardVisit = std::function<bool(const std::string& line, std::uint64_t start)>;
void for_each_line_backward(const std::filesystem::path& path, std::uint64_t end, const BackwardVisit& visit);

// Visits every complete line, oldest first.
void for_each_line(const std::filesystem::path& path, const std::function<void(const std::string& line)>& visit);

}  // namespace tef_emu
