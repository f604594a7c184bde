#include "sale/settlement.h"

#include "platform/base/sysutils.h"
#include "sale/card.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
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

// The kept cancellation of this card's sale (the manager names the sale's
// document in the cancellation it answers), or an empty record.
TStringList CancellationOf(const CardResult& card) {
  for (int k = 1; k <= Qdm00500::inContCancCuponsTEF; ++k) {
    TStringList block = ExtractBlock(*Qdm00500::stlCancCuponsTEF, k);
    if (FieldValue(block, "010-000") == card.network) return block;
  }
  return {};
}

}  // namespace

void UndoCards(std::vector<CardResult>& cards, const PrinterFamily& family, const StepFn& step) {
  int approved = 0;
  for (const CardResult& card : cards) approved += card.approved ? 1 : 0;
  if (approved == 0 || !Qdm00500::stlCuponsTEF || !Qdm00500::stlCancCuponsTEF) return;

  Qdm00500::CancelaTEFs(false);
  const int kept = Qdm00500::inContCancCuponsTEF;
  step("CancelaTEFs (comprovantes guardados: " + platform::IntToStr(kept) + ")", kept == approved);
  bool vouchers_printed = false;
  if (kept > 0) {
    const bool opened = !family.open_cancellation_voucher || family.open_cancellation_voucher(step);
    vouchers_printed = step("ImprCupons (comprovante de cancelamento)",
                            Qdm00500::ImprCupons(Qdm00500::stlCancCuponsTEF, kept, "", "", 0)) &&
                       opened;
  }

  for (CardResult& card : cards) {
    if (!card.approved) continue;
    // The manager never answered the cancellation: the sale's answer is
    // still kept, and the next start undoes it.
    if (AnswerKept(card.network, card.identifier)) {
      card.state = CardState::Unsettled;
      continue;
    }
    const TStringList cancellation = CancellationOf(card);
    if (cancellation.Count() > 0 && vouchers_printed) {
      // Confirmed with the manager unless its answer is still kept.
      card.state = AnswerKept(FieldValue(cancellation, "010-000"), FieldValue(cancellation, "001-000"))
                       ? CardState::Unsettled
                       : CardState::Undone;
      continue;
    }
    // The cancellation was refused, or undone for want of its voucher:
    // the sale itself is undone.
    const TStringList block = BlockOf(card);
    Qdm00500::DirTefPorRede(card.network);
    const bool undone = block.Count() > 0 && Qdm00500::VerificaRetorno(block, true);
    step("VerificaRetorno (cart\xE3o doc " + card.document + " desfeito)", undone);
    card.state = undone ? CardState::Undone : CardState::Unsettled;
  }
}

}  // namespace QdmVenda::detail
