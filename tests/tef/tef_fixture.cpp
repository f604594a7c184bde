#include "tef_fixture.h"

#include <filesystem>

#include "facade/Qdm00000.h"
#include "platform/os/application.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"

namespace tef_test {

std::vector<std::string> Answer::Lines() const {
  std::vector<std::string> lines{"000-000 = " + command, "001-000 = " + id};
  if (!amount.empty()) lines.push_back("003-000 = " + amount);
  lines.push_back("009-000 = 0");
  lines.push_back("010-000 = " + network);
  lines.push_back("012-000 = " + document);
  lines.push_back("027-000 = " + finalisation);
  if (!voucher.empty()) {
    lines.push_back("028-000 = " + std::to_string(voucher.size()));
    for (std::size_t i = 0; i < voucher.size(); ++i) {
      char code[32];
      std::snprintf(code, sizeof code, "029-%03zu", i + 1);
      lines.push_back(std::string(code) + " = \"" + voucher[i] + "\"");
    }
  }
  if (!message.empty()) lines.push_back("030-000 = " + message);
  lines.push_back("999-999 = 0");
  return lines;
}

platform::TStringList Answer::Record() const {
  platform::TStringList record;
  record.SetText(RecordText(Lines()));
  return record;
}

std::string RecordText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

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

std::vector<std::string> TefState::Files(const std::string& directory) {
  return platform::FindFiles(directory, "*");
}

std::string TefState::Read(const std::string& path) { return platform::ReadFileBytes(path); }

bool TefState::Exists(const std::string& path) { return platform::FileExists(path); }

void TefState::Write(const std::string& path, const std::string& bytes) {
  platform::WriteFileAtomic(path, bytes);
}

void TefState::AddSale(const platform::TStringList& answer) {
  cupons.Add(platform::IntToStr(++Qdm00500::inContCuponsTEF));
  cupons.AddStrings(answer);
}

}  // namespace tef_test
