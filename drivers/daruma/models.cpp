#include "drivers/daruma/models.h"

#include "drivers/common/driver_services.h"
#include "drivers/daruma/Qdm00300.h"

namespace Qdm00300::detail {

namespace {

using Qdm00000::ECF;
using Qdm00000::SerieECF;
using Qdm00000::stData;
using Qdm00000::stDataAtu;

const Model kType7{
    .tipo = 7,
    .translation = {},
    .status_hex_check_pos = 3,
    .drawer = {.pos = 2, .digits = 1, .mask = 0x8, .when_set = "001", .when_clear = "000"},
    .document = {.question = 0xFF, .pos = 5, .hex_digit = true},
    .closes_before_cancel = false,
    .startup =
        {
            {0xEC, {{&ECF, {15, 4}}}},
            {0xFA, {{&stData, {19, 6}}}},
            {0xFF, {}},
            {0xE6, {{&stDataAtu, {3, 10}}}},
            {0xEC, {{&SerieECF, {3, 8}}}},
        },
    .signed_totalizers = {22, 351},
    .named_totalizers = {374, 329},
    .payment_methods = {710, 287},
    .credit_note_table = {0, 0},
    .discount_as_percentage = true,
    .credit_note_key = "CV-EMITIDO",
    .payments = Payments::ByLetter,
};

// The drawer byte of type 8 is two hexadecimal digits: one digit could
// never hold its 0x80 bit, and the reading would always say "001".
const Model kType8{
    .tipo = 8,
    .translation =
        {{0xF3, 0xC9}, {0xD5, std::nullopt}, {0xF2, 0xDB}, {0xDB, 0xD3}, {0xE4, 0x14}, {0xFF, 0x05}, {0xE5, 0xEB}},
    .status_hex_check_pos = 0,
    .drawer = {.pos = 2, .digits = 2, .mask = 0x80, .when_set = "000", .when_clear = "001"},
    .document = {.question = 0x05, .pos = 1, .hex_digit = false},
    .closes_before_cancel = true,
    .startup =
        {
            {0xEF, {{&stData, {23, 6}}, {&ECF, {4, 4}}}},
            {0xFF, {}},
            {0xE6, {{&stDataAtu, {3, 10}}}},
            {0xEC, {{&SerieECF, {3, 6}}}},
        },
    .signed_totalizers = {0, 0},
    .named_totalizers = {0, 0},
    .payment_methods = {0, 0},
    .credit_note_table = {36, 572},
    .discount_as_percentage = false,
    .credit_note_key = "CONTRA-VALE",
    .payments = Payments::AmountPaidOnly,
};

const drivers::TableRow<int, const Model*> kModels[] = {{7, &kType7}, {8, &kType8}};

}  // namespace

const Model* FindModel(int tipo) {
  const Model* const* found = drivers::Lookup(kModels, tipo);
  return found != nullptr ? *found : nullptr;
}

const Model& ModelOf(int tipo) {
  const Model* model = FindModel(tipo);
  return model != nullptr ? *model : kType7;
}

const Model& CurrentModel() { return ModelOf(inTipoImpFis); }

std::optional<unsigned char> Translate(const Model& model, unsigned char byte) {
  // Looked up once: a 0xF2 that became 0xDB is not taken for a type-7 0xDB.
  const std::optional<unsigned char>* own = drivers::Lookup(model.translation, byte);
  return own != nullptr ? *own : byte;
}

}  // namespace Qdm00300::detail
