// What every driver stands on: the bounded wait, binding a maker library's
// entry points all or nothing, a missing library named to the operator,
// the digit fields and the model tables.
#include <gmock/gmock.h>

#include <array>
#include <string_view>

#include "drivers/common/command.h"
#include "drivers/common/digit_fields.h"
#include "drivers/common/library.h"
#include "drivers/common/model_table.h"
#include "facade/Qdm00000.h"
#include "facade/globals.h"
#include "platform/base/clock.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/application.h"
#include "support/emulated_printer.h"
#include "support/sandbox.h"

namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class CommonTest : public ::testing::Test {
 protected:
  CommonTest() { Qdm00000::ClearGlobals(); }
  ~CommonTest() override { Qdm00000::ClearGlobals(); }

  testsupport::Sandbox sandbox;
};

// ---- The bounded wait ------------------------------------------------------

TEST_F(CommonTest, WaitPausesOnTheClockAndProcessesMessagesBeforeEveryTry) {
  const platform::TDateTime start = platform::clock::Now();
  int handled = 0;
  int tries = 0;
  platform::Application().Queue([&handled] { ++handled; });
  EXPECT_TRUE(drivers::WaitUntil(
      [&] {
        ++tries;
        // The message queued before the wait ran before the first try.
        EXPECT_EQ(handled, 1);
        return tries == 3;
      },
      50, 10));
  EXPECT_EQ(tries, 3);
  EXPECT_NEAR((platform::clock::Now() - start) * 86400000.0, 150.0, 0.5);
}

TEST_F(CommonTest, WaitEndsAtItsBoundOrWhenATryAbandons) {
  int tries = 0;
  EXPECT_FALSE(drivers::WaitUntil([&tries] { return ++tries > 100; }, 10, 4));
  EXPECT_EQ(tries, 4);

  tries = 0;
  EXPECT_EQ(drivers::WaitUntil([&tries] { return ++tries == 2 ? drivers::Try::Abandon : drivers::Try::Again; }, 10, 5),
            drivers::WaitEnd::Abandoned);
  EXPECT_EQ(tries, 2);

  EXPECT_EQ(drivers::WaitUntil([] { return drivers::Try::Again; }, 10, 0), drivers::WaitEnd::OutOfTries);
}

using TEntry = int();
int Entry() { return 0; }

TEST_F(CommonTest, CommandScopeRefusesReentryAndUnboundEntriesAndClearsItsFlag) {
  bool boComando = false;
  TEntry* bound = &Entry;
  TEntry* unbound = nullptr;
  try {
    const drivers::CommandScope scope(boComando, {{bound, "Primeira"}});
    EXPECT_FALSE(scope.Refused());
    EXPECT_TRUE(boComando);
    // A command started from inside this one is refused and leaves the
    // flag to its owner.
    { EXPECT_TRUE(drivers::CommandScope(boComando, {{bound, "Primeira"}}).Refused()); }
    EXPECT_TRUE(boComando);
    throw std::runtime_error("dialog failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(boComando);

  {
    const drivers::CommandScope scope(boComando, {{bound, "Primeira"}, {unbound, "Segunda"}});
    EXPECT_TRUE(scope.Refused());
    EXPECT_FALSE(boComando);
  }
  EXPECT_FALSE(boComando);
  EXPECT_THAT(sandbox.DebugLog(), EndsWith(" - ERRO!!! DLL nao carregada: Segunda\r\n"));
}

// ---- The maker library ---------------------------------------------------

using TFormataTX = int(const char*);
using TFechaPorta = int();
TFormataTX* formata = nullptr;
TFechaPorta* ausente = nullptr;

TEST_F(CommonTest, EntryPointsAreBoundAllOrNothing) {
  testsupport::EmulatedPrinter printer;  // the emulated maker library, loaded
  platform::HMODULE library = nullptr;
  ASSERT_TRUE(drivers::LoadOnce(library, "Mp20fi32.dll"));
  const platform::HMODULE first = library;
  ASSERT_TRUE(drivers::LoadOnce(library, "Mp20fi32.dll"));
  EXPECT_EQ(library, first);  // loaded once

  const std::array<drivers::EntryPoint, 1> complete{{{"FormataTX", &formata}}};
  ASSERT_TRUE(drivers::BindAll(library, complete));
  EXPECT_NE(formata, nullptr);
  EXPECT_TRUE(drivers::AllBound(complete));

  const std::array<drivers::EntryPoint, 2> lacking{{{"FormataTX", &formata}, {"NaoExiste", &ausente}}};
  EXPECT_FALSE(drivers::BindAll(library, lacking));
  EXPECT_EQ(formata, nullptr);
  EXPECT_EQ(ausente, nullptr);
  EXPECT_FALSE(drivers::AllBound(lacking));
  EXPECT_THAT(sandbox.DebugLog(), EndsWith(" - ERRO!!! DLL nao carregada: NaoExiste\r\n"));

  ASSERT_TRUE(drivers::BindAll(library, complete));
  drivers::ClearAll(complete);
  EXPECT_EQ(formata, nullptr);
  EXPECT_FALSE(drivers::AllBound(complete));
}

TEST_F(CommonTest, AMissingMakerLibraryIsNamedToTheOperatorAndLogged) {
  platform::HMODULE library = nullptr;
  EXPECT_FALSE(drivers::LoadOnce(library, "Ausente32.dll"));
  EXPECT_EQ(library, nullptr);
  EXPECT_THAT(sandbox.DebugLog(), HasSubstr(" - ERRO!!! DLL nao carregada: Ausente32.dll "));
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, "Biblioteca da impressora fiscal n\xE3o encontrada: Ausente32.dll");
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbOK);
}

// ---- Digit fields and model tables ---------------------------------------

TEST_F(CommonTest, DigitFieldsOfTheOtherMakersFitTheSameRule) {
  // Item total (12 digits) and discount (4 digits) of one maker, the
  // quantity (5 digits) of another.
  const drivers::DigitField total{"T12", "0000000000.00", 11};
  const drivers::DigitField desconto{"P4", "00.00", 3};
  const drivers::DigitField quantidade{"Q5", "000.00", 4};
  EXPECT_EQ(drivers::Digits(total, 37.5), "000000003750");
  EXPECT_EQ(drivers::Digits(desconto, 5), "0500");
  EXPECT_EQ(drivers::Digits(quantidade, 1.5), "00150");
  EXPECT_EQ(drivers::Digits(desconto, 100), std::nullopt);
  EXPECT_EQ(drivers::Digits(quantidade, -1), std::nullopt);
  EXPECT_THAT(sandbox.dialogs->Texts(), IsEmpty());

  EXPECT_EQ(drivers::AmountField(desconto, 123.45), std::nullopt);
  EXPECT_THAT(sandbox.DebugLog(), HasSubstr(" - ERRO!!! Valor fora do formato da impressora fiscal. P4: 123"));
  EXPECT_THAT(sandbox.dialogs->Texts(), ElementsAre("Valor fora do formato da impressora fiscal."));
}

// Per model, the code a command goes out with.
using ModelCodes = std::array<std::string_view, 4>;
constexpr drivers::TableRow<std::string_view, ModelCodes> kTranslations[] = {
    {"22", {"22", "43", "43", "43"}},
    {"12SN", {"12SN", "12SN", "12N", "12N"}},
};
constexpr drivers::TableRow<unsigned char, int> kBytes[] = {{0xF2, 0xDB}, {0xDB, 0xD3}};

TEST_F(CommonTest, ModelTablesAreLookedUpByKey) {
  static_assert(drivers::Lookup(kTranslations, std::string_view("22")) != nullptr);
  static_assert((*drivers::Lookup(kTranslations, std::string_view("12SN")))[2] == "12N");
  static_assert(drivers::Lookup(kTranslations, std::string_view("01")) == nullptr);
  // One translation, never two: 0xF2 becomes 0xDB, not 0xD3.
  static_assert(drivers::LookupOr(kBytes, static_cast<unsigned char>(0xF2), 0) == 0xDB);
  EXPECT_EQ(drivers::LookupOr(kBytes, static_cast<unsigned char>(0x05), 0x05), 0x05);
}

}  // namespace
