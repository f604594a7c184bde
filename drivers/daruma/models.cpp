#include "drivers/daruma/models.h"

#include "drivers/common/driver_services.h"

namespace Qdm00300::detail {

namespace {

using Qdm00000::ECF;
using Qdm00000::SerieECF;
using Qdm00000::stData;
using Qdm00000::stDataAtu;

const Model kType7{
    7,
    {},
    3,
    {2, 1, 0x8, "001", "000"},
    {0xFF, 5, true},
    false,
    {
        {0xEC, {{&ECF, {15, 4}}}},
        {0xFA, {{&stData, {19, 6}}}},
        {0xFF, {}},
        {0xE6, {{&stDataAtu, {3, 10}}}},
        {0xEC, {{&SerieECF, {3, 8}}}},
    },
    {22, 351},
    {374, 329},
    {710, 287},
    {0, 0},
    true,
    "CV-EMITIDO",
};

// The drawer byte of type 8 is two hexadecimal digits: one digit could
// never hold its 0x80 bit, and the reading would always say "001".
const Model kType8{
    8,
    {{0xF3, 0xC9}, {0xD5, -1}, {0xF2, 0xDB}, {0xDB, 0xD3}, {0xE4, 0x14}, {0xFF, 0x05},
     {0xE5, 0xEB}},
    0,
    {2, 2, 0x80, "000", "001"},
    {0x05, 1, false},
    true,
    {
        {0xEF, {{&stData, {23, 6}}, {&ECF, {4, 4}}}},
        {0xFF, {}},
        {0xE6, {{&stDataAtu, {3, 10}}}},
        {0xEC, {{&SerieECF, {3, 6}}}},
    },
    {0, 0},
    {0, 0},
    {0, 0},
    {36, 572},
    false,
    "CONTRA-VALE",
};

}  // namespace

const Model& ModelOf(int tipo) { return tipo == 8 ? kType8 : kType7; }

std::optional<unsigned char> Translate(const Model& model, unsigned char byte) {
  // Looked up once: a 0xF2 that became 0xDB is not taken for a type-7 0xDB.
  for (const TranslatedByte& t : model.translation) {
    if (t.from != byte) continue;
    if (t.to < 0) return std::nullopt;
    return static_cast<unsigned char>(t.to);
  }
  return byte;
}

}  // namespace Qdm00300::detail
