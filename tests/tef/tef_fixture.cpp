#include "tef_fixture.h"

#include <filesystem>

#include "facade/Qdm00000.h"
#include "platform/os/application.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tef/globals.h"

namespace tef_test {

TefState::TefState(const testsupport::Sandbox& sandbox) : drive_(sandbox.dir.file("drive_c")) {
  std::filesystem::create_directories(drive_);
  Qdm00500::ClearGlobals();
  Qdm00500::stlCuponsTEF = &cupons;
  Qdm00500::stlCancCuponsTEF = &cancelados;
  Qdm00000::IdTipoImpFis = 0;
}

TefState::~TefState() {
  Qdm00500::ClearGlobals();
  platform::Application().SetProcessMessagesHook(nullptr);
}

std::string TefState::Root(const std::string& name) const { return drive_ + "/" + name; }

std::string TefState::MakeRoot(const std::string& name) const {
  std::filesystem::create_directories(Root(name) + "/req");
  std::filesystem::create_directories(Root(name) + "/resp");
  return Root(name);
}

std::vector<std::string> TefState::Files(const std::string& directory) { return platform::FindFiles(directory, "*"); }

std::string TefState::Read(const std::string& path) { return platform::ReadFileBytes(path); }

bool TefState::Exists(const std::string& path) { return platform::FileExists(path); }

void TefState::Write(const std::string& path, const std::string& bytes) { platform::WriteFileAtomic(path, bytes); }

void TefState::AddSale(const platform::TStringList& answer) {
  cupons.Add(platform::IntToStr(++Qdm00500::inContCuponsTEF));
  cupons.AddStrings(answer);
}

}  // namespace tef_test
