// The customer display on a pseudo-terminal: exact bytes, the folding of
// accented letters, the line the module sets, and the port closed again.
#include <gtest/gtest.h>

#include "facade/Qdm00000.h"
#include "peripherals/display/Qdm00600.h"
#include "peripherals/display/display.h"
#include "peripherals/device_fixture.h"

namespace {

using namespace peripheral_test;

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Qdm00000::DataModule().IdPortaDisp = 4;
    Qdm00600::IdTipoDisp = 2;
  }
  void TearDown() override { Qdm00000::DataModule().IdPortaDisp = 0; }
  emu::PtyDevice display;
  MappedPort port{4, display};
};

TEST(DisplayOK, WidthByDisplayType) {
  struct Case {
    int tipo;
    bool configured;
    int width;
  };
  const Case cases[] = {{1, true, 16}, {2, true, 20}, {3, true, 40}, {0, false, 40}, {-1, true, 40}};
  for (const Case& c : cases) {
    Qdm00600::IdTipoDisp = c.tipo;
    Qdm00600::TAM_DISPLAY = 40;
    EXPECT_EQ(Qdm00600::DisplayOK(), c.configured) << c.tipo;
    EXPECT_EQ(Qdm00600::TAM_DISPLAY, c.width) << c.tipo;
  }
  Qdm00600::IdTipoDisp = 0;
}

TEST(DisplayFolding, AccentedLettersBecomePlainOthersStay) {
  std::string in, out;
  for (int b = 0; b < 256; ++b) in += static_cast<char>(b);
  for (char c : in) out += static_cast<char>(Qdm00600::FoldForDisplay(static_cast<unsigned char>(c)));
  std::string expected = in;
  const struct {
    int first, last;
    char plain;
  } folds[] = {{0xC0, 0xC4, 'A'}, {0xC7, 0xC7, 'C'}, {0xC8, 0xCB, 'E'}, {0xCC, 0xCF, 'I'},
               {0xD2, 0xD6, 'O'}, {0xD9, 0xDC, 'U'}, {0xE0, 0xE4, 'a'}, {0xE7, 0xE7, 'c'},
               {0xE8, 0xEB, 'e'}, {0xEC, 0xEF, 'i'}, {0xF2, 0xF6, 'o'}, {0xF9, 0xFC, 'u'}};
  for (const auto& f : folds)
    for (int b = f.first; b <= f.last; ++b) expected[static_cast<std::size_t>(b)] = f.plain;
  EXPECT_EQ(out, expected);
  for (int kept : {0xC5, 0xD1, 0xDD, 0xE5, 0xF1, 0xFD, 0xD7, 0xF7, 0xFF})
    EXPECT_EQ(Qdm00600::FoldForDisplay(kept), kept);
}

TEST_F(DisplayTest, SendsTheFoldedBytesAtNineSixHundredAndClosesThePort) {
  display.SetBaud(19200);  // left so by another program
  const std::string text = "P\xC3O FRAN\xC7\312S  R$ 1,50\r\nMa\xE7\xE3 \321ANDU";
  ASSERT_TRUE(Qdm00600::DisplayChar(text));
  EXPECT_EQ(display.Receive(text.size()), "PAO FRANCES  R$ 1,50\r\nMaca \321ANDU");
  EXPECT_EQ(display.Baud(), 9600u);
  const termios line = display.LineSettings();
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(line.c_cflag & (PARENB | CSTOPB));
  EXPECT_EQ(display.OpenCount(), 0);
}

TEST_F(DisplayTest, EmptyTextOpensSetsUpAndSendsNothing) {
  EXPECT_TRUE(Qdm00600::DisplayChar(""));
  EXPECT_EQ(display.Receive(0, 50), "");
  EXPECT_EQ(display.OpenCount(), 0);
}

TEST_F(DisplayTest, PortMissingOrOutsideTheTableGivesFalse) {
  for (int index : {0, 5, 13, 14, -1, 99}) {
    Qdm00000::DataModule().IdPortaDisp = index;  // COM5 maps to no device here
    platform::MapPort("COM5", "/nonexistent/tty");
    EXPECT_FALSE(Qdm00600::DisplayChar("OLA")) << index;
    platform::UnmapPort("COM5");
  }
  EXPECT_EQ(display.Receive(0, 50), "");
}

TEST_F(DisplayTest, PortHeldByAnotherProgramGivesFalse) {
  const platform::HANDLE held = platform::CreateFileA("COM4", platform::GENERIC_READ | platform::GENERIC_WRITE, 0,
                                                      nullptr, platform::OPEN_EXISTING, 0, 0);
  ASSERT_NE(held, platform::INVALID_HANDLE_VALUE);
  EXPECT_FALSE(Qdm00600::DisplayChar("OLA"));
  platform::CloseHandle(held);
  EXPECT_EQ(display.Receive(0, 50), "");
}

TEST_F(DisplayTest, DisplayThatStopsTakingBytesFailsWithinTheWriteTimeOut) {
  FrozenClock clock;
  // Nobody reads the display: its queue fills and a byte waits in vain.
  const std::string flood(256 * 1024, 'X');
  EXPECT_FALSE(Qdm00600::DisplayChar(flood));
  EXPECT_GE(clock.ElapsedMs(), 1000);
  EXPECT_LT(clock.ElapsedMs(), 1200);
  EXPECT_EQ(display.OpenCount(), 0);
}

}  // namespace
