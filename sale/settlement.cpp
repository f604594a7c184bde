#include "sale/settlement.h"

#include "sale/card.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_record.h"

namespace QdmVenda::detail {

namespace {

using platform::TStringList;
using Qdm00500::detail::ExtractBlock;
using Qdm00500::detail::FieldValue;

// The block of the voucher store that holds this card's answer.
TStringList BlockOf(const CardResult& card) {
  for (int k = 1; k <= Qdm00500::inContCuponsTEF; ++k) {
    TStringList block = ExtractBlock(*Qdm00500::stlCuponsTEF, k);
    if (FieldValue(block, "001-000") == card.identifier) return block;
  }
  return {};
}

}  // namespace

void UndoCards(std::vector<CardResult>& cards, const StepFn& step) {
  if (!Qdm00500::stlCuponsTEF) return;
  for (CardResult& card : cards) {
    if (!card.approved) continue;
    const TStringList block = BlockOf(card);
    Qdm00500::DirTefPorRede(card.network);
    const bool undone = block.Count() > 0 && Qdm00500::VerificaRetorno(block, true);
    // Its answer goes once the manager took the decision; otherwise it
    // stays for the next start, which sends the same decision again.
    if (undone) Qdm00500::DeleteIntPosFiles(Qdm00500::DirTef + "resp\\", card.identifier);
    step("VerificaRetorno (cart\xE3o doc " + card.document + " desfeito)", undone);
    card.state = undone && !AnswerKept(card.network, card.identifier) ? CardState::Undone : CardState::Unsettled;
  }
}

}  // namespace QdmVenda::detail
