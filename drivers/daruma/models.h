// What sets the two Daruma models apart, as data: the command bytes type 8
// uses in place of type 7's, where each answer carries what the driver
// reads, and how the status answer shows the drawer.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "drivers/common/model_table.h"

namespace Qdm00300::detail {

// A 1-based place and width in an answer text.
struct AnswerField {
  int pos;
  int len;
};

// One start-up question: a command and what its answer fills.
struct StartupReading {
  std::string* target;
  AnswerField field;
};
struct StartupStep {
  unsigned char command;
  std::vector<StartupReading> readings;
};

// The drawer as the status answer shows it: `digits` hexadecimal digits
// from `pos`, and the flag given when `mask` is set (the other flag when not).
struct DrawerReading {
  int pos;
  int digits;
  int mask;
  const char* when_set;
  const char* when_clear;
};

// Where the printer shows the document left open: the answer to `question`
// (the status request on type 7, the bare 0x05 on type 8) at `pos`, a hex
// digit or a byte. Bit 0x04 is a coupon and 0x08 a non-fiscal report; on a
// hex digit the report bit stands alone (4 to 7 a coupon, 8 and up a report).
struct DocumentReading {
  unsigned char question;
  int pos;
  bool hex_digit;
};

// A type-7 command byte and what the model sends instead: another byte, or
// no byte at all (std::nullopt: the parameters go alone).
using TranslatedByte = drivers::TableRow<unsigned char, std::optional<unsigned char>>;

// How the model keeps its payment methods and closes a coupon: by the
// letter of each method (totalled, each payment under its letter, then the
// footer), or with the amount paid alone in one command.
enum class Payments { ByLetter, AmountPaidOnly };

struct Model {
  int tipo;
  std::vector<TranslatedByte> translation;  // empty: bytes go as written
  // The status answer is taken only when this character is a hex digit (0: no check).
  int status_hex_check_pos;
  DrawerReading drawer;
  DocumentReading document;
  // A coupon left open is closed (0xF3 with no amount) before it is cancelled.
  bool closes_before_cancel;
  std::vector<StartupStep> startup;
  // The 0xEE tables: the sign-and-name totalizers, the name-only
  // totalizers, the payment methods; and, on type 8, the credit-note table.
  AnswerField signed_totalizers;
  AnswerField named_totalizers;
  AnswerField payment_methods;
  AnswerField credit_note_table;
  // Item discount: a percentage of the unit price (type 7) or the amount.
  bool discount_as_percentage;
  // Catalogue key of the credit-note totalizer's name.
  const char* credit_note_key;
  Payments payments;
};

// The model of a Daruma type code; nullptr for a code of another maker.
const Model* FindModel(int tipo);
// The same, with type 7 for a code of another maker.
const Model& ModelOf(int tipo);

// The byte a type-7 command byte becomes on this model; nothing when the
// model sends the parameters without a command byte.
std::optional<unsigned char> Translate(const Model& model, unsigned char byte);

}  // namespace Qdm00300::detail
