// Card vouchers on the fiscal printer, and the confirmation that follows.
#include <array>
#include <vector>

#include "drivers/common/type_codes.h"
#include "facade/Qdm00000.h"
#include "utility/utility.h"
#include "platform/os/application.h"
#include "platform/dialogs/dialogs.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
#include "tef/intpos_record.h"

namespace Qdm00500 {

using namespace detail;

namespace {

// How each printer family takes voucher text. Codes without a layout (9,
// the restaurant model, and unknown codes) print no voucher.
struct VoucherLayout {
  Qdm00000::CodeSet codes;
  const char* line_end;   // after every line
  int lines_per_piece;    // lines handed over in one call
  const char* copy_feed;  // handed over after each copy ("" none)
};

constexpr std::array<VoucherLayout, 3> kLayouts{{
    {Qdm00000::kBematechRetail, "\n", 10, "\n\n\n\n\n\n"},  // text blocks, paper fed to the cutter
    {Qdm00000::kSweda, "", 1, ""},                          // line by line
    {Qdm00000::kDaruma, "", 1, ""},                         // line by line
}};

// Voucher fields run 029-001 to 029-999.
constexpr int kMaxVoucherLines = 999;

const VoucherLayout* LayoutFor(int tipo) {
  for (const VoucherLayout& layout : kLayouts)
    if (layout.codes.Has(tipo)) return &layout;
  return nullptr;
}

bool PrintCopies(const VoucherLayout& layout, const std::vector<std::string>& lines, int copias) {
  for (int copy = 0; copy < copias; ++copy) {
    std::string piece;
    int in_piece = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      piece += lines[i] + layout.line_end;
      if (++in_piece == layout.lines_per_piece || i + 1 == lines.size()) {
        if (!Qdm00000::ImprimeTextoNaoFiscal(piece)) return false;
        piece.clear();
        in_piece = 0;
      }
      platform::Application().ProcessMessages();
    }
    if (*layout.copy_feed && !Qdm00000::ImprimeTextoNaoFiscal(layout.copy_feed)) return false;
    platform::Application().ProcessMessages();
  }
  return true;
}

}  // namespace

bool ImprCupom(const TStringList& resposta, int copias, bool /*cancelamento*/) {
  const VoucherLayout* layout = LayoutFor(Qdm00000::IdTipoImpFis);
  if (!layout) return true;
  std::vector<std::string> lines;
  const int count = std::min(VoucherLineCount(resposta), kMaxVoucherLines);
  for (int i = 1; i <= count; ++i) lines.push_back(VoucherLine(resposta, i));
  // The operator decides how often a silent printer is tried again.
  while (!PrintCopies(*layout, lines, copias)) {
    if (util::TouchMessageDlg("Impressora n\xE3o responde. Imprimir novamente?", platform::mtError,
                              platform::mbYesNo) != platform::mrYes)
      return false;
  }
  return true;
}

bool ImprCupons(TStringList* lista, int contador, const std::string& /*naoUsado1*/, const std::string& /*naoUsado2*/,
                double /*naoUsado3*/) {
  if (!lista || lista->Count() == 0) return true;
  bool impressos = true;
  for (int k = 1; k <= contador; ++k) {
    const TStringList block = ExtractBlock(*lista, k);
    if (block.Count() == 0) continue;
    const bool impresso = ImprCupom(block, 2, false);
    // The transaction is settled with the manager that holds it, whatever
    // root the block before it left in DirTef.
    DirTefPorRede(FieldValue(block, "010-000"));
    const Settlement settlement = Settle(block, !impresso);
    // An unacknowledged decision keeps its answer for the next start, and
    // a block without identifier deletes nobody else's answers.
    const std::string id = FieldValue(block, "001-000");
    if (settlement != Settlement::NotAcknowledged && !id.empty()) DeleteIntPosFiles(TefFile(kAnswerDir), id);
    if (!impresso) {
      impressos = false;
      break;
    }
  }
  Qdm00000::FechRelatGerenc(false, false);
  return impressos;
}

}  // namespace Qdm00500
