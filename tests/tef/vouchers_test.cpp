// Voucher printing on the emulated Bematech printer behind the real driver
// and facade: the text pieces per printer family, the operator's retry, and
// the confirmation or undo that follows.
#include <gtest/gtest.h>

#include "facade/Qdm00000.h"
#include "facade/printer_fixture.h"
#include "platform/base/clock.h"
#include "platform/dialogs/dialogs.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "fake_manager.h"
#include "manager_runner.h"
#include "tef_fixture.h"

namespace tef_test {
namespace {

using platform::TStringList;

const std::string kRetry = "Impressora n\xE3o responde. Imprimir novamente?";
const std::string kFeed = "\n\n\n\n\n\n";

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back("LINHA " + std::to_string(i));
  return lines;
}

// Lines first..last, each followed by a line feed.
std::string Piece(const std::vector<std::string>& lines, std::size_t first, std::size_t last) {
  std::string piece;
  for (std::size_t i = first; i <= last; ++i) piece += lines[i - 1] + "\n";
  return piece;
}

class VoucherTest : public facade_test::PrinterTest {
 protected:
  VoucherTest() : dial(tef.MakeRoot("tef_dial")) { Qdm00500::DirTef = "c:\\tef_dial\\"; }

  // A Bematech register with a management report open for the vouchers.
  void OpenReport() {
    StartBematech("1");
    ASSERT_TRUE(Qdm00000::Relatorio_Gerencial());
    printer.ClearFrames();
  }
  // The text of every "67" frame, in order.
  std::vector<std::string> TextBlocks() const {
    std::vector<std::string> blocks;
    for (const auto& f : printer.FramesOf("67")) blocks.push_back(f.substr(5, f.size() - 7));
    return blocks;
  }
  static Answer Sale(const std::string& document, int lines) {
    Answer a;
    a.id = "90000" + document;
    a.document = document;
    a.finalisation = "FIN" + document;
    a.voucher = Numbered(lines);
    return a;
  }

  TefState tef{sandbox};
  std::string dial;
  FakeManager manager;
};

TEST_F(VoucherTest, BematechGetsPiecesOfTenLinesThenSixLineFeedsPerCopy) {
  OpenReport();
  const auto lines = Numbered(25);
  Answer a = Sale("000100", 25);

  EXPECT_TRUE(Qdm00500::ImprCupom(a.Record(), 2, false));

  const std::vector<std::string> copy{Piece(lines, 1, 10), Piece(lines, 11, 20), Piece(lines, 21, 25), kFeed};
  std::vector<std::string> both = copy;
  both.insert(both.end(), copy.begin(), copy.end());
  EXPECT_EQ(TextBlocks(), both);
  EXPECT_TRUE(sandbox.dialogs->Seen().empty());
}

TEST_F(VoucherTest, VoucherLinesPrintWithoutTheirQuotes) {
  OpenReport();
  TStringList record = Sale("000101", 0).Record();
  for (const char* line :
       {"028-000 = 4", "029-001 = \"REDECARD\"", "029-002 = \"", "029-003 =  \"  VALOR: R$ 1,00\" ", "029-004 = \"\""})
    record.Add(line);

  EXPECT_TRUE(Qdm00500::ImprCupom(record, 1, true));

  EXPECT_EQ(TextBlocks(), (std::vector<std::string>{"REDECARD\n\n  VALOR: R$ 1,00\n\n", kFeed}));
}

TEST_F(VoucherTest, RefusedTextIsAskedAgainAndYesPrintsEveryCopyAgain) {
  OpenReport();
  const auto lines = Numbered(3);
  printer.RefuseTransmission(1);
  sandbox.dialogs->Answer(platform::mrYes);

  EXPECT_TRUE(Qdm00500::ImprCupom(Sale("000102", 3).Record(), 2, false));

  const std::string text = Piece(lines, 1, 3);
  EXPECT_EQ(TextBlocks(), (std::vector<std::string>{text, text, kFeed, text, kFeed}));
  ASSERT_EQ(sandbox.dialogs->Seen().size(), 1u);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].text, kRetry);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].type, platform::mtError);
  EXPECT_EQ(sandbox.dialogs->Seen()[0].buttons, platform::mbYesNo);
}

TEST_F(VoucherTest, UnprintedVoucherIsUndoneAndLaterOnesAreLeft) {
  OpenReport();
  manager.Serve(dial);
  const Answer first = Sale("000103", 3), second = Sale("000104", 3);
  TefState::Write(dial + "/resp/intpos.1", RecordText(first.Lines()));
  TefState::Write(dial + "/resp/intpos.2", RecordText(second.Lines()));
  tef.AddSale(first.Record());
  tef.AddSale(second.Record());
  printer.RefuseTransmission(1);
  sandbox.dialogs->Answer(platform::mrNo);

  EXPECT_FALSE(Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, 2, "", "", 0));

  EXPECT_EQ(manager.Exchanges(), std::vector<std::string>{"NCN"});
  EXPECT_EQ(manager.Requests().back().Field("012-000"), "000103");
  EXPECT_EQ(TextBlocks().size(), 1u);  // only the refused one
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{"intpos.2"});
  EXPECT_EQ(DialogTexts(), (std::vector<std::string>{kRetry, "Cancelada a Transa\xE7\xE3o\r\nDoc No: 000103\r\n"
                                                             "Rede: REDECARD\r\nValor: R$ 12,34"}));
  EXPECT_EQ(printer.FramesOf("21").size(), 1u);  // the report is closed all the same
}

TEST_F(VoucherTest, ReportIsClosedOnlyWhenTheStoreHasLines) {
  OpenReport();
  manager.Serve(dial);
  struct Case {
    const char* name;
    bool filled;
    bool null_store;
    int count;
    bool closes;
  } cases[] = {{"empty store", false, false, 2, false},
               {"no store", false, true, 1, false},
               {"count 0", true, false, 0, true},
               {"count -1", true, false, -1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tef.cupons.Clear();
    if (c.filled) tef.AddSale(Sale("000105", 3).Record());
    printer.ClearFrames();

    EXPECT_TRUE(Qdm00500::ImprCupons(c.null_store ? nullptr : &tef.cupons, c.count, "", "", 0));

    EXPECT_TRUE(TextBlocks().empty());
    EXPECT_EQ(printer.FramesOf("21").size(), c.closes ? 1u : 0u);
    if (c.closes) {
      ASSERT_TRUE(Qdm00000::Relatorio_Gerencial());
    }
  }
  EXPECT_TRUE(manager.Requests().empty());
}

TEST_F(VoucherTest, OtherFamiliesGetLinesOrNothing) {
  struct Case {
    int tipo;
    bool result;
    bool asks;
  } cases[] = {
      {9, true, false},  // the restaurant model prints no voucher
      {0, true, false},
      {99, true, false},
      // Sweda and Daruma take line by line; without their drivers nothing is taken.
      {3, false, true},
      {8, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tipo);
    sandbox.dialogs->Clear();
    sandbox.dialogs->Answer(platform::mrNo);
    Qdm00000::IdTipoImpFis = c.tipo;
    EXPECT_EQ(Qdm00500::ImprCupom(Sale("000106", 2).Record(), 2, false), c.result);
    EXPECT_EQ(DialogTexts(), c.asks ? std::vector<std::string>{kRetry} : std::vector<std::string>{});
  }
  Qdm00000::IdTipoImpFis = 0;
  EXPECT_EQ(printer.FrameCount(), 0);
}

TEST_F(VoucherTest, SaleVoucherPrintsAndIsConfirmedWithTheManager) {
  OpenReport();
  platform::clock::UseSystem();
  ManagerRunner managers;
  managers.Start(dial);
  const TStringList sale = CardSale(dial, 4590);
  tef.AddSale(sale);

  EXPECT_TRUE(Qdm00500::ImprCupons(Qdm00500::stlCuponsTEF, Qdm00500::inContCuponsTEF, "", "", 0));

  const auto blocks = TextBlocks();
  ASSERT_EQ(blocks.size(), 4u);  // 9 lines and the feed, twice
  EXPECT_NE(blocks[0].find("VALOR: R$ 45,90\nAPROVADA\n"), std::string::npos);
  EXPECT_EQ(StateOf(dial, platform::Trim(sale.Values("012-000 "))), "CONFIRMADA");
  EXPECT_EQ(TefState::Files(dial + "/resp"), std::vector<std::string>{});
  EXPECT_EQ(printer.FramesOf("21").size(), 1u);
  EXPECT_TRUE(DialogTexts().empty());
  EXPECT_TRUE(managers.StopAll());
}

}  // namespace
}  // namespace tef_test
