// Module Qdm00500: the TEF client. Card payments go through an outside TEF
// manager ("Gerenciador Padr\xE3o") that talks to the card networks; the
// library speaks to it only through IntPos files under "c:\tef_dial\" (every
// network but TecBan) or "c:\tef_disc\" (TecBan): requests in "req\", status
// and answers in "resp\".
//
// The calls show their own messages to the operator (manager not active,
// printer not responding, the manager's own message) and answer false where
// they answer at all.
#pragma once
#include <string>

#include "platform/dataset/stringlist.h"
#include "platform/os/file_lock.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00500 {

using platform::TStringList;

// ---- Exported globals --------------------------------------------------
// Root of the manager in use, "c:\tef_dial\" or "c:\tef_disc\" (trailing
// backslash); empty until a network is chosen.
extern std::string DirTef;
// Voucher stores, created, emptied and freed by the front end (never by the
// library). A store is a run of blocks: a line holding the block number,
// then the lines of one answer record.
extern TStringList* stlCuponsTEF;  // approved sales of the current coupon
extern int inContCuponsTEF;
extern TStringList* stlCancCuponsTEF;  // cancellations kept for later printing
extern int inContCancCuponsTEF;
// Seconds to wait for the manager's answer to a cancellation request; the
// operator may be working at the manager's own screen meanwhile.
extern int inTimeoutRespostaTEF;
// Five minutes: long enough for an operator working at the manager's screen.
inline constexpr int kDefaultTimeoutRespostaTEF = 300;

// ---- IntPos file exchange -------------------------------------------------
// A new request identifier: 10 digits, the seconds of the current moment.
std::string GetSequence();
// Waits (7 s at most) for the manager's status file echoing this command and
// identifier. For "ATV" it clears the answer slot and writes the probe
// itself; for any other command the caller has written its request.
// False (with the "not active" dialog) on a time-out or a file error; never
// raises.
bool CheckGPAtivo(const std::string& comando, const std::string& identificacao);
// The probe that precedes a request ("ATV" with a new identifier).
bool CheckGPAtivo();
// Confirms ("CNF", undo false) or undoes ("NCN", undo true) the transaction
// of an answer record; true when the manager acknowledged it, or when the
// transaction already stands confirmed (or undone) as asked.
bool VerificaRetorno(const TStringList& resposta, bool desfaz);
// Full name of the next free archive file "intpos.N" in a "resp\" directory.
std::string NewIntPosFileName(const std::string& diretorio);
// Deletes the "intpos.*" files of a directory; with an identifier, only
// those that carry "001-000 = " + identifier.
void DeleteIntPosFiles(const std::string& diretorio, const std::string& identificacao);
// At start: undoes the answers an interrupted run left in both roots.
bool CheckIntPosFiles();
// Network rule: "TECBAN" chooses "c:\tef_disc\", any other name "c:\tef_dial\".
void DirTefPorRede(const std::string& rede);

// One transaction at a time in a manager's directory: while an
// ExchangeLock lives, no other register (process) can exchange files with
// the manager of DirTef's root, so two registers never read each other's
// answers. The library takes it around each of its own exchanges; a front
// end that writes a request itself (a card sale) holds one from the request
// to the archived answer. Locks of one process nest. When the root is held
// by another register or cannot be written, the operator is told so and
// Held() is false; a root that does not exist yet is not locked (the
// manager creates it) and Held() is true.
class ExchangeLock {
 public:
  ExchangeLock();
  bool Held() const { return held_; }

 private:
  platform::TFileLock lock_;
  bool held_ = false;
};

// ---- Vouchers and cancellation -----------------------------------------
// Prints every block of a store (two copies), confirming each printed one
// and undoing the first that cannot be printed; then closes the report.
// `contador` is the number of blocks (inContCuponsTEF or
// inContCancCuponsTEF); the last three arguments are accepted and not used.
bool ImprCupons(TStringList* lista, int contador, const std::string& naoUsado1, const std::string& naoUsado2,
                double naoUsado3);
// Prints the voucher lines of one answer record on the fiscal printer;
// `cancelamento` marks a cancellation voucher and changes nothing printed.
// On a refusal the operator is asked to print again; false when they decline.
bool ImprCupom(const TStringList& resposta, int copias, bool cancelamento);
// Cancels one transaction through its network's manager. The texts are the
// fields of the sale's answer record, written into the request as given:
// 002-000 (document), 003-000 (amount in cents), 010-000 (network name),
// 012-000 (document number), 022-000 and 023-000 (date and time). With
// `imprimeAgora` the cancellation voucher is printed at once, else kept in
// stlCancCuponsTEF for ImprCupons. Waits for the manager's answer up to
// inTimeoutRespostaTEF seconds, processing messages meanwhile.
void CancelaTEF(const std::string& doc002, const std::string& valor003, const std::string& rede010,
                const std::string& doc012, const std::string& valor022, const std::string& valor023, bool imprimeAgora);
// Cancels every card transaction of the sale held in stlCuponsTEF.
void CancelaTEFs(bool imprimeAgora);

// ---- Card network choice -------------------------------------------------
// `tipo` is the operation: "D" debit card, "Q" check enquiry, "A"
// administrative functions (the form's caption), "C" no form (always "2").
// Answers "1" TecBan, "2" other networks, "9" quit, "0" form closed without
// a choice.
std::string TipoRede(const std::string& tipo);
// Chooses the network and with it DirTef; false when the operator quit.
bool CheckDirTef(const std::string& tipo);

}  // namespace Qdm00500

PKG_QDM_PUBLIC_END
