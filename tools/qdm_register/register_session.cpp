#include "tools/qdm_register/register_session.h"

#include <cstdlib>
#include <filesystem>

#include "platform/os/files.h"
#include "tools/qdm_register/log_view.h"
#include "tools/qdm_register/shop_clock.h"

namespace qdm_register {

namespace fs = std::filesystem;

namespace {

std::uintmax_t SizeOf(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

// Only what this run added is read: the log and the tape grow all year.
std::string TailFrom(const std::string& path, std::uintmax_t offset) {
  const std::uintmax_t size = SizeOf(path);
  if (size <= offset) return {};
  std::size_t read_size = 0;
  return platform::ReadFileTail(path, static_cast<std::size_t>(size - offset), read_size);
}

}  // namespace

RegisterSession::RegisterSession(const std::string& directory)
    : directory_(fs::absolute(directory).lexically_normal().string()) {
  if (!directory_.empty() && directory_.back() == '/') directory_.pop_back();
  program_directory_ = platform::ExtractFilePath(platform::GetModuleFileNameA());
  platform::ForceDirectories(directory_);
  // Two registers on one home would open coupons with the same number on
  // one printer and send card requests with the same identifiers.
  switch (home_lock_.Acquire(file(kHomeLockName))) {
    case platform::TLockResult::Held:
      break;
    case platform::TLockResult::Busy:
      throw HomeBusy("Outro caixa j\xE1 est\xE1 em execu\xE7\xE3o nesta pasta: " + directory_);
    default:
      throw HomeBusy("N\xE3o foi poss\xEDvel reservar a pasta do caixa: " + directory_ + " (" + home_lock_.ErrorText() +
                     ")");
  }
  platform::ForceDirectories(drive_c());

  // The maker libraries stay where they were built; the register's own
  // files move to its home.
  std::string search = program_directory_;
  if (const char* old = std::getenv("PKG_QDM_LIBRARY_PATH"); old && *old) search += ":" + std::string(old);
  setenv("PKG_QDM_LIBRARY_PATH", search.c_str(), 1);
  setenv("MP20FI_STATE", file("mp20fi.state").c_str(), 1);
  setenv("MP20FI_TAPE", file("tape.txt").c_str(), 1);
  // Each home is a machine of its own: its emulated ports are locked there,
  // so registers on other homes do not share "COM1".
  setenv("PKG_QDM_EMU_LOCK_DIR", file("emu_locks").c_str(), 1);
  platform::SetHostExecutable(file("qdm_register"));
  platform::MapDrive('c', drive_c());
  // A register whose last fiscal day was closed lives on the next morning.
  ApplyShopClock(directory_);

  MarkStart(file("tape.txt"));
  MarkStart(file("impdebug.txt"));
}

void RegisterSession::MarkStart(const std::string& path) { starts_[path] = SizeOf(path); }

std::string RegisterSession::BytesSince(const std::string& path) const {
  auto start = starts_.find(path);
  return TailFrom(path, start == starts_.end() ? 0 : start->second);
}

std::string RegisterSession::WrittenSince(const std::string& path) const { return Readable(BytesSince(path)); }

}  // namespace qdm_register
