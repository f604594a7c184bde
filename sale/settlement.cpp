#include "sale/settlement.h"

#include <exception>

#include "sale/card.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
#include "tef/intpos_record.h"
#include "tef/ledger.h"

namespace QdmVenda::detail {

namespace {

using platform::TStringList;
using Qdm00500::detail::ExtractBlock;
using Qdm00500::detail::FieldValue;

}  // namespace

// The block of the voucher store that holds this card's answer.
TStringList BlockOf(const CardResult& card) {
  if (!Qdm00500::stlCuponsTEF) return {};
  for (int k = 1; k <= Qdm00500::inContCuponsTEF; ++k) {
    TStringList block = ExtractBlock(*Qdm00500::stlCuponsTEF, k);
    if (FieldValue(block, "001-000") == card.identifier) return block;
  }
  return {};
}

bool LedgerHoldsUndone(const CardResult& card) {
  const TStringList block = BlockOf(card);
  if (block.Count() == 0) return false;
  try {
    const auto ledger = Qdm00500::detail::Ledger::Load(card.network == "TECBAN" ? Qdm00500::detail::kRootDisc
                                                                                : Qdm00500::detail::kRootDial);
    const Qdm00500::detail::LedgerEntry* entry = ledger.Find(Qdm00500::detail::KeyOf(block));
    return entry && entry->acknowledged && entry->decision == Qdm00500::detail::Decision::Undo;
  } catch (const std::exception&) {
    return false;
  }
}

void UndoCards(std::vector<CardResult>& cards, const StepFn& step) {
  if (!Qdm00500::stlCuponsTEF) return;
  for (CardResult& card : cards) {
    if (!card.approved) continue;
    const TStringList block = BlockOf(card);
    Qdm00500::DirTefPorRede(card.network);
    using Qdm00500::detail::Settlement;
    const Settlement settled = block.Count() > 0 ? Qdm00500::detail::Settle(block, true) : Settlement::NoNetwork;
    const bool undone = settled == Settlement::Done || settled == Settlement::AlreadySettled;
    // Its answer goes once the manager holds the transaction final;
    // otherwise it stays for the next start, which sends the same decision
    // again.
    if (undone || settled == Settlement::Refused)
      Qdm00500::DeleteIntPosFiles(Qdm00500::DirTef + "resp\\", card.identifier);
    if (settled == Settlement::Refused) {
      // It already stood confirmed: the customer pays, the operator was told.
      step("VerificaRetorno (cart\xE3o doc " + card.document +
               " N\xC3O desfeito: a transa\xE7\xE3o j\xE1 estava confirmada)",
           false);
      card.state = CardState::Confirmed;
      continue;
    }
    step("VerificaRetorno (cart\xE3o doc " + card.document + " desfeito)", undone);
    card.state = undone && !AnswerKept(card.network, card.identifier) ? CardState::Undone : CardState::Unsettled;
  }
}

}  // namespace QdmVenda::detail
