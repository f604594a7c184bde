// The Daruma wire: command bytes, the frame handed to "DAR_Envia", the
// stable reading of an answer and what an answer says.
#pragma once
#include <optional>
#include <string>

#include "drivers/daruma/models.h"

namespace Qdm00300::detail {

// Command bytes, as type 7 names them.
enum Command : unsigned char {
  kAbreCupom = 0xC8,
  kCancelaItem = 0xCD,
  kCancelaCupom = 0xCE,
  kLeituraX = 0xCF,
  kReducaoZ = 0xD0,
  kMemoriaFiscal = 0xD1,
  kRelatorioGerencial = 0xD3,
  kFechaRelatorio = 0xD4,
  kTextoLivre = 0xD5,
  kVendaItem = 0xD7,
  kNaoFiscal = 0xD9,
  kFormaPagamento = 0xDA,
  kTotalizador = 0xE2,
  kRelogio = 0xE6,
  kAliquotas = 0xE7,
  kIdentidade = 0xEC,
  kTabelas = 0xEE,
  kDataFiscal8 = 0xEF,
  kLeituraTotais = 0xF0,
  kTotaliza = 0xF1,
  kPagamento = 0xF2,
  kFechaCupom = 0xF3,
  kDataFiscal7 = 0xFA,
  kEstado = 0xFF,
  kEstadoDocumento = 0x05,
};

// A command byte as the one-character text the channel takes.
std::string Byte(unsigned char command);

// The frame: 0x1D and the byte for the status request, the bare 0x05, the
// parameters alone where the model has no byte, ESC and the byte otherwise.
// `status` tells whether it is the status request.
std::string BuildFrame(const Model& model, unsigned char command, const std::string& parametros, bool& status);

// An answer "?E" + two digits reports an error, except the codes the
// printer uses for warnings on a command it carried out.
bool AnswerReportsError(const std::string& answer);

// "000" or "001" from a status answer; "" when it cannot be read.
std::string DrawerFlag(const Model& model, const std::string& answer);

// The document an answer to the model's document question shows open;
// nothing when the answer does not show it.
enum class Document { None, Coupon, Report };
std::optional<Document> OpenDocumentIn(const Model& model, const std::string& answer);

// How the channel's last command ended: taken, refused by the printer, or
// unknown (never sent, no answer, an answer that never settled or came back
// empty: the printer may have carried it out).
enum class Outcome { Taken, Refused, Unknown };

// The text at a 1-based place of an answer ("" beyond its end).
std::string Field(const std::string& answer, AnswerField field);

// Reads the printer's answer: up to kAnswerTries tries of two reads each.
// A try is good when both reads return the same value (and, for a status
// request of type 7, the answer has its hex digit in place).
struct AnswerRead {
  bool settled = false;  // a try was good
  bool taken = false;    // some try's two reads returned the same value
  bool any = false;      // some read succeeded at all
  std::string text;      // the answer of the last try whose two reads agreed
};
AnswerRead ReadStableAnswer(const Model& model, bool status);

// Tries and the pause between them, on the library clock.
inline constexpr int kAnswerTries = 5;
inline constexpr int kAnswerPauseMs = 20;

}  // namespace Qdm00300::detail
