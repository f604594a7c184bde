// The emulated Daruma printer against the table of frames kept beside it
// (emulators/daruma/wire_examples.txt): each model's lines, in order, on one
// fresh printer, each frame answered as the table says. Nothing of the
// driver is involved, so the printer and the driver cannot agree on a
// departure between them.
#include <gmock/gmock.h>

#include <fstream>
#include <sstream>

#include "emulators/common/escape.h"
#include "emulator_daruma/powered_printer.h"

namespace daruma_emulator_test {
namespace {

using ::testing::StartsWith;

struct Example {
  int line;
  std::string frame;
  std::string answer;
  std::string what;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// The lines of the table for one model.
std::vector<Example> ExamplesOf(int model) {
  std::ifstream in(DARUMA_WIRE_EXAMPLES, std::ios::binary);
  EXPECT_TRUE(in) << DARUMA_WIRE_EXAMPLES;
  std::vector<Example> examples;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> columns = Split(line, '\t');
    EXPECT_GE(columns.size(), 3u) << "line " << number;
    if (columns.size() < 3) continue;
    if (columns[0].find(std::to_string(model)) == std::string::npos) continue;
    const std::optional<std::string> frame = emu::PercentUnescape(columns[1]);
    EXPECT_TRUE(frame.has_value()) << "line " << number;
    examples.push_back({number, frame.value_or(""), columns[2], columns.size() > 3 ? columns[3] : ""});
  }
  return examples;
}

using WireExamplesTest = PoweredPrinterTest;

TEST_P(WireExamplesTest, EachFrameGetsTheAnswerTheTableGives) {
  const std::vector<Example> examples = ExamplesOf(GetParam());
  EXPECT_GT(examples.size(), 40u);
  for (const Example& e : examples) {
    SCOPED_TRACE("line " + std::to_string(e.line) + ": " + e.what);
    ASSERT_EQ(Envia(e.frame.data(), static_cast<int>(e.frame.size()), 49), static_cast<int>(e.frame.size()));
    char buffer[1000];
    Resposta(buffer, 999);
    EXPECT_THAT(std::string(buffer), StartsWith(e.answer));
  }
}

INSTANTIATE_TEST_SUITE_P(Daruma, WireExamplesTest, ::testing::Values(7, 8));

}  // namespace
}  // namespace daruma_emulator_test
