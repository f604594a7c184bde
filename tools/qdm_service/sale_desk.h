// The sale through the service: one call that runs a whole sale through
// the library's sale module (QdmVenda::Till, the register program's own
// sequence), made idempotent by the caller's key ("idVenda") and durable
// across a power failure by the sale journal.
//
//   the key and its request are journaled and synced before the first
//   printer command; each turning point of the sale (coupon opened, card
//   approved, coupon closed) is journaled as it happens; the answer after
//   the last command. The same key again answers what is stored and prints
//   nothing; with another request it is a conflict.
//
// At start, a key left without an answer is reconciled: the till's start
// has cancelled a coupon the printer held open, the till's recovery has
// settled the card answers left by the TEF ledger's rule; the key's answer
// then says what the printer and the ledger hold.
#pragma once
#include <memory>
#include <string>

#include "tools/qdm_service/dispatcher.h"
#include "tools/qdm_service/problem.h"
#include "tools/qdm_service/requests.h"
#include "tools/qdm_service/sale_journal.h"

namespace qdm_service {

class RegisterHost;

// The journal's file in the register's home.
inline constexpr const char* kSaleJournalFile = "qdm_service_vendas.jrn";

class SaleDesk {
 public:
  // Opens the home's journal (raises std::runtime_error when it cannot).
  SaleDesk(RegisterHost& host, const std::string& journal_path);

  // Main thread, once the printer has started: the card answers an earlier
  // run left settled and every key left in progress reconciled. Answers
  // the keys reconciled (their sale objects).
  Json Reconcile();

  // POST /v1/vendas: the work of a decoded sale.
  Work Sell(SaleOrder order);
  // GET /v1/vendas/{idVenda} and GET /v1/vendas (the day's), answered from
  // the journal on the HTTP worker.
  Reply Find(const std::string& key) const;
  Reply List() const;
  // POST /v1/recuperacao: the reset the trade asks for after a power
  // failure or a sale left half done.
  Work Recover();

 private:
  // Every key left in progress, settled from the journal, the printer's
  // start and the TEF ledger.
  Json ReconcileKeys();

  RegisterHost& host_;
  SaleJournal journal_;
};

}  // namespace qdm_service
