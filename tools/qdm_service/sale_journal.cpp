#include "tools/qdm_service/sale_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace qdm_service {

namespace {

using Json = nlohmann::json;

constexpr std::size_t kMaxKey = 64;

[[noreturn]] void Refuse(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + ": " + path + " (" + std::strerror(errno) + ")");
}

std::string ReadAll(int fd) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(bytes.size()));
    if (n <= 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

void SyncDirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

SaleJournal::SaleJournal(std::string path) : path_(std::move(path)) {
  struct stat st {};
  const bool existed = ::stat(path_.c_str(), &st) == 0;
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) Refuse("N\xE3o foi poss\xEDvel abrir o di\xE1rio de vendas", path_);
  if (!existed) SyncDirectoryOf(path_);
  std::string bytes = ReadAll(fd_);
  // A record is a whole line: what follows the last line end is a write a
  // power failure cut short, and goes before anything is appended after it.
  const std::size_t whole = bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1;
  if (whole < bytes.size()) {
    if (::ftruncate(fd_, static_cast<off_t>(whole)) != 0 || ::fdatasync(fd_) != 0)
      Refuse("N\xE3o foi poss\xEDvel reparar o di\xE1rio de vendas", path_);
    bytes.resize(whole);
  }
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find('\n', at);
    const Json record = Json::parse(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
    at = end + 1;
    if (!record.is_object() || !record.contains("k") || !record["k"].is_string()) continue;
    const std::string key = record["k"].get<std::string>();
    const auto text = [&record](const char* name) {
      return record.contains(name) && record[name].is_string() ? record[name].get<std::string>() : std::string();
    };
    if (record.contains("r") && record["r"].is_string() && entries_.count(key) == 0) {
      entries_[key] = Entry{key, text("r"), std::nullopt, text("p"), text("t")};
      order_.push_back(key);
    } else if (record.contains("p") && !record.contains("r") && entries_.count(key) == 1) {
      entries_[key].progress = text("p");
    } else if (record.contains("o") && record["o"].is_string() && entries_.count(key) == 1) {
      entries_[key].outcome = record["o"].get<std::string>();
    }
  }
}

SaleJournal::~SaleJournal() {
  if (fd_ >= 0) ::close(fd_);
}

bool SaleJournal::ValidKey(const std::string& key) {
  if (key.empty() || key.size() > kMaxKey) return false;
  for (char c : key)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_' ||
          c == '.' || c == ':'))
      return false;
  return true;
}

void SaleJournal::Append(const std::string& line) {
  const std::string record = line + "\n";
  std::size_t written = 0;
  while (written < record.size()) {
    const ssize_t n = ::write(fd_, record.data() + written, record.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Refuse("N\xE3o foi poss\xEDvel gravar no di\xE1rio de vendas", path_);
    written += static_cast<std::size_t>(n);
  }
  if (::fdatasync(fd_) != 0) Refuse("N\xE3o foi poss\xEDvel gravar no di\xE1rio de vendas", path_);
}

SaleJournal::Claim SaleJournal::Begin(const std::string& key, const std::string& request, Entry* entry,
                                      const std::string& progress, const std::string& begun) {
  if (!ValidKey(key)) throw std::invalid_argument("chave de venda inv\xE1lida");
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(key);
  if (found != entries_.end()) {
    if (entry) *entry = found->second;
    if (found->second.request != request) return Claim::Conflict;
    return found->second.outcome ? Claim::Done : Claim::Pending;
  }
  Json record = {{"k", key}, {"r", request}};
  if (!progress.empty()) record["p"] = progress;
  if (!begun.empty()) record["t"] = begun;
  Append(record.dump());
  Entry& added = entries_[key] = Entry{key, request, std::nullopt, progress, begun};
  order_.push_back(key);
  if (entry) *entry = added;
  return Claim::Begun;
}

void SaleJournal::Finish(const std::string& key, const std::string& outcome) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(key);
  if (found == entries_.end()) throw std::logic_error("venda sem registro no di\xE1rio: " + key);
  if (found->second.outcome) return;  // the first outcome stands
  Append(Json{{"k", key}, {"o", outcome}}.dump());
  found->second.outcome = outcome;
}

void SaleJournal::Progress(const std::string& key, const std::string& progress) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(key);
  if (found == entries_.end() || found->second.outcome) return;
  Append(Json{{"k", key}, {"p", progress}}.dump());
  found->second.progress = progress;
}

std::vector<SaleJournal::Entry> SaleJournal::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Entry> all;
  for (const std::string& key : order_) all.push_back(entries_.at(key));
  return all;
}

std::optional<SaleJournal::Entry> SaleJournal::Find(const std::string& key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = entries_.find(key);
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

std::vector<SaleJournal::Entry> SaleJournal::Pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Entry> pending;
  for (const std::string& key : order_)
    if (!entries_.at(key).outcome) pending.push_back(entries_.at(key));
  return pending;
}

}  // namespace qdm_service
