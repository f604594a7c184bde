// TEF tests: the module's globals back to a fresh state around each test,
// and the manager roots of the sandbox's drive c:.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dataset/stringlist.h"
#include "support/sandbox.h"
#include "tef_records.h"

namespace tef_test {

class TefState {
 public:
  explicit TefState(const testsupport::Sandbox& sandbox);
  ~TefState();
  TefState(const TefState&) = delete;
  TefState& operator=(const TefState&) = delete;

  // Host directory standing for "c:\<name>\" ("tef_dial", "tef_disc").
  std::string Root(const std::string& name) const;
  // The root with its "req" and "resp" directories.
  std::string MakeRoot(const std::string& name) const;
  // Names of the files in a directory, sorted.
  static std::vector<std::string> Files(const std::string& directory);
  static std::string Read(const std::string& path);
  static bool Exists(const std::string& path);
  static void Write(const std::string& path, const std::string& bytes);

  // The front end's voucher stores, bound to stlCuponsTEF and stlCancCuponsTEF.
  platform::TStringList cupons;
  platform::TStringList cancelados;
  // Appends an answer as block inContCuponsTEF + 1 of the sale store.
  void AddSale(const platform::TStringList& answer);

 private:
  std::string drive_;
};

class TefTest : public ::testing::Test {
 protected:
  std::vector<std::string> DialogTexts() const { return sandbox.dialogs->Texts(); }

  testsupport::Sandbox sandbox;
  TefState tef{sandbox};
};

}  // namespace tef_test
