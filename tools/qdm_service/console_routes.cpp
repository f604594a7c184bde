#include "tools/qdm_service/console_routes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/os/files.h"
#include "tools/qdm_service/register_host.h"

#ifndef QDM_CONSOLE_INSTALL_DIR
#define QDM_CONSOLE_INSTALL_DIR ""
#define QDM_CONSOLE_FROM_DEVICES ""
#define QDM_CONSOLE_FROM_BIN ""
#endif

namespace qdm_service {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kMaxConsoleFile = 4 * 1024 * 1024;

struct FileKind {
  const char* extension;
  const char* type;
};

constexpr FileKind kKinds[] = {
    {".html", "text/html; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".svg", "image/svg+xml"},
    {".png", "image/png"},
    {".txt", "text/plain; charset=utf-8"},
    {".ico", "image/x-icon"},
};

// The page runs only its own files and talks only to this service.
constexpr const char* kPagePolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

bool PlainName(const std::string& name) {
  if (name.empty() || name.front() == '.') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
  });
}

const char* TypeOf(const std::string& name) {
  const std::string extension = fs::path(name).extension().string();
  for (const FileKind& kind : kKinds)
    if (extension == kind.extension) return kind.type;
  return nullptr;
}

fs::path ProgramDirectory() {
  // The register's session names another program for the library (its
  // files go to the home); the service's own files are beside the real one.
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program.parent_path();
}

}  // namespace

ConsoleFiles::ConsoleFiles(const std::string& directory) {
  if (directory.empty()) return;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    const char* type = TypeOf(name);
    // Plain files of the directory itself: no link leads elsewhere.
    if (!type || !PlainName(name) || entry.is_symlink(error) || !entry.is_regular_file(error) ||
        entry.file_size(error) > kMaxConsoleFile)
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) continue;
    files_.emplace_back(name, File{type, std::move(bytes)});
  }
}

std::string ConsoleFiles::Locate() {
  const fs::path program = ProgramDirectory();
  std::vector<fs::path> candidates;
  if (!program.empty()) {
    candidates.push_back(program / "console");  // the build tree
    for (const char* installed : {QDM_CONSOLE_FROM_DEVICES, QDM_CONSOLE_FROM_BIN})
      if (*installed) candidates.push_back(program / installed);
  }
  if (*QDM_CONSOLE_INSTALL_DIR) candidates.emplace_back(QDM_CONSOLE_INSTALL_DIR);
  for (const fs::path& candidate : candidates) {
    std::error_code error;
    if (fs::is_regular_file(candidate / "index.html", error)) return candidate.lexically_normal().string();
  }
  return {};
}

Reply ConsoleFiles::Serve(const std::string& name) const {
  for (const auto& [known, file] : files_) {
    if (known != name) continue;
    Reply reply;
    reply.content_type = file.type;
    reply.body = file.bytes;
    reply.headers = {
        {"Content-Security-Policy", kPagePolicy}, {"X-Frame-Options", "DENY"}, {"Referrer-Policy", "no-referrer"}};
    return reply;
  }
  return ProblemReply(Problem{"nao_encontrado",
                              files_.empty() ? "A console do t\351cnico n\xE3o est\xE1 instalada com o servi\xE7o"
                                             : "Arquivo desconhecido na console do t\351cnico",
                              ""});
}

void AppendConsoleRoutes(std::vector<Route>& routes, const RegisterHost& host) {
  auto files = std::make_shared<const ConsoleFiles>(ConsoleFiles::Locate());
  auto page = [files](const char* pattern, bool named) {
    Route route;
    route.method = "GET";
    route.pattern = pattern;
    route.open = true;  // the page itself asks for the token
    route.answer = [files, named](const Call& call) {
      return files->Serve(named ? call.captures.at(0) : std::string("index.html"));
    };
    return route;
  };
  routes.push_back(page("/", false));
  routes.push_back(page("/([A-Za-z0-9_-][A-Za-z0-9._-]*)", true));
  const std::string home = platform::IncludeTrailingPathDelimiter(host.options().home);
  for (Route& route : RecordRoutes(home, platform::HostPath("c:\\tef_dial\\journal.txt")))
    routes.push_back(std::move(route));
}

}  // namespace qdm_service
