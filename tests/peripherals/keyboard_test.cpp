// The POS keyboard module against the emulated "Tec44Win.dll" and
// "Tec65_32.dll", loaded at run time as the maker's libraries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulators/keyboard/tec_keyboard.h"
#include "facade/Qdm00000.h"
#include "peripherals/keyboard/Qdm00400.h"
#include "platform/os/files.h"
#include "peripherals/library_bench.h"

namespace {

using namespace Qdm00400;

// The bench side of an emulated keyboard library.
class KeyboardBench : public peripheral_test::LibraryBench {
 public:
  explicit KeyboardBench(const std::string& file) : LibraryBench(file) { Reset(); }
  std::string Calls() const { return FrameLines(); }
  std::string Display() const { return Text("TecEmu_Display"); }
};

using peripheral_test::Loaded;

const std::vector<TTeclEntry*> kTec44Globals = {
    &TeclRxKbd,  &TeclProgSpecialChar, &TeclGetMCRBufnc, &TeclDispClrLn1, &TeclDispClrLn2, &TeclGetMCRMsg44,
    &CloseTec44, &OpenTec44,           &TeclTxKbd44,     &TeclNumLock,    &TeclCapsLock};
const std::vector<TTeclEntry*> kTec65Globals = {&TeclSetCapsL65, &TeclSetNumL65, &TeclGetMCRMsg65,
                                                &CloseTec65,     &OpenTec65,     &TeclTxKbd65};
const std::vector<TTeclEntry*> kCommonGlobals = {
    &TeclEnableKbd, &TeclDisableKbd, &TeclBackSpace, &TeclBeepKeyOn, &TeclBeepOn,   &TeclCarRet,    &TeclDispStr,
    &TeclDispCh,    &TeclGetMCRBuf,  &TeclGoToXY,    &TeclLineFeed,  &TeclFormFeed, &TeclReadOpKey, &TeclReset,
    &TeclSetCard,   &TeclSetDisp,    &TeclSetEcho,   &TeclSetOpKey,  &TeclSetPIN};

int BoundCount(const std::vector<TTeclEntry*>& globals) {
  int bound = 0;
  for (TTeclEntry* global : globals) bound += *global != nullptr;
  return bound;
}

class KeyboardTest : public ::testing::Test {
 protected:
  // The emulated keyboards hold their line against other processes.
  void SetUp() override { testsupport::PrivatePortLocks(); }
  void TearDown() override {
    StopTeclado();
    Qdm00000::IdTipoTecl = 0;
    platform::SetHostExecutable("");
  }
};

TEST_F(KeyboardTest, ModelChosenByKeyboardTypeBindsItsRowsAndTheCommonOnes) {
  struct Case {
    int tipo;
    const char* library;  // nullptr: no keyboard
    int tec44, tec65;
    const char* switched_on;
  };
  const Case cases[] = {
      {1, "Tec44Win.dll", 11, 0, "EnableKbd()\nOpenTec44()\nFormFeed()\n"},
      {3, "Tec65_32.dll", 0, 6, "EnableKbd()\nOpenTec65()\nFormFeed()\n"},
      {2, nullptr, 0, 0, ""},
      {0, nullptr, 0, 0, ""},
      {4, nullptr, 0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tipo);
    Qdm00000::IdTipoTecl = c.tipo;
    if (c.library) {
      KeyboardBench bench(c.library);
      StartTeclado();
      EXPECT_TRUE(TecladoOK);
      EXPECT_NE(TecladoDLLHandle, nullptr);
      EXPECT_EQ(bench.Calls(), c.switched_on);
    } else {
      StartTeclado();
      EXPECT_FALSE(TecladoOK);
      EXPECT_EQ(TecladoDLLHandle, nullptr);
    }
    EXPECT_EQ(BoundCount(kTec44Globals), c.tec44);
    EXPECT_EQ(BoundCount(kTec65Globals), c.tec65);
    EXPECT_EQ(BoundCount(kCommonGlobals), c.library ? 19 : 0);
    StopTeclado();
  }
}

TEST_F(KeyboardTest, FrontEndDrivesTheKeyboardThroughTheGlobals) {
  KeyboardBench bench("Tec44Win.dll");
  Qdm00000::IdTipoTecl = 1;
  StartTeclado();
  ASSERT_TRUE(TecladoOK);
  reinterpret_cast<int (*)(int, int)>(TeclGoToXY)(1, 2);
  reinterpret_cast<int (*)(const char*)>(TeclDispStr)("TOTAL 12,50");
  EXPECT_EQ(bench.Display(), std::string(20, ' ') + "\nTOTAL 12,50         ");
}

TEST_F(KeyboardTest, StopClearsEveryEntryPointAndUnloadsTwiceIsHarmless) {
  const std::string file = testsupport::ExecutableDirectory() + "/Tec65_32.dll";
  Qdm00000::IdTipoTecl = 3;
  StartTeclado();
  ASSERT_TRUE(TecladoOK);
  ASSERT_TRUE(Loaded(file));
  Qdm00000::IdTipoTecl = 1;  // the front end changed its mind before stopping
  StopTeclado();
  EXPECT_FALSE(TecladoOK);
  EXPECT_EQ(TecladoDLLHandle, nullptr);
  EXPECT_EQ(BoundCount(kTec44Globals) + BoundCount(kTec65Globals) + BoundCount(kCommonGlobals), 0);
  EXPECT_FALSE(Loaded(file));
  StopTeclado();
  EXPECT_FALSE(TecladoOK);
}

TEST_F(KeyboardTest, StartedTwiceLoadsTheLibraryOnce) {
  const std::string file = testsupport::ExecutableDirectory() + "/Tec44Win.dll";
  Qdm00000::IdTipoTecl = 1;
  StartTeclado();
  StartTeclado();
  ASSERT_TRUE(TecladoOK);
  StopTeclado();
  EXPECT_FALSE(Loaded(file));
}

TEST_F(KeyboardTest, LibraryMissingANameIsUnloadedAndLeavesNothingBound) {
  struct Case {
    const char* variant;
    const char* first_missing;  // model rows are bound before the common ones
  };
  const Case cases[] = {{"without_SetPIN", "SetPIN"}, {"without_SetCapsL_SetPIN", "SetCapsL"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    const std::string dir = testsupport::ExecutableDirectory() + "/keyboard_variants/" + c.variant;
    platform::SetHostExecutable(dir + "/pdv");  // the broken library is found first
    Qdm00000::IdTipoTecl = 3;
    StartTeclado();
    EXPECT_FALSE(TecladoOK);
    EXPECT_EQ(TecladoDLLHandle, nullptr);
    EXPECT_EQ(BoundCount(kTec44Globals) + BoundCount(kTec65Globals) + BoundCount(kCommonGlobals), 0);
    EXPECT_FALSE(Loaded(dir + "/Tec65_32.dll"));
    EXPECT_NE(platform::LastLibraryError().find(std::string("entry point ") + c.first_missing + " "), std::string::npos)
        << platform::LastLibraryError();
    StopTeclado();
    EXPECT_FALSE(TecladoOK);
  }
}

}  // namespace
