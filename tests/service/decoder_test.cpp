// The request decoder: JSON bodies read by the well-kept parser, numbers
// read digit by digit, texts converted to the printers' code page exactly,
// every refusal naming its field.
#include <gtest/gtest.h>

#include "tools/qdm_service/exact_decimal.h"
#include "tools/qdm_service/request_decoder.h"

namespace qdm_service {
namespace {

constexpr DecimalField kMoney{12, 2};
constexpr DecimalField kQuantity{4, 3};

TEST(ExactDecimalTest, ReadsWhatTheClientWroteDigitByDigit) {
  struct Case {
    const char* text;
    DecimalField field;
    DecimalFault fault;
    std::int64_t units;
  };
  const Case cases[] = {
      {"12.34", kMoney, DecimalFault::None, 1234},
      {"0.1", kMoney, DecimalFault::None, 10},
      {"2.675", kMoney, DecimalFault::TooManyDecimals, 0},  // never rounded
      {"1.500", kMoney, DecimalFault::None, 150},           // trailing zeros are the same value
      {"1.500", kQuantity, DecimalFault::None, 1500},
      {"007", kMoney, DecimalFault::None, 700},
      {"999999999999.99", kMoney, DecimalFault::None, 99999999999999},
      {"1000000000000", kMoney, DecimalFault::TooLarge, 0},
      {"-1", kMoney, DecimalFault::Negative, 0},
      {"-0", kMoney, DecimalFault::None, 0},
      {"-1.5", DecimalField{12, 2, true}, DecimalFault::None, -150},
      {"", kMoney, DecimalFault::NotDecimal, 0},
      {"1.", kMoney, DecimalFault::NotDecimal, 0},
      {".5", kMoney, DecimalFault::NotDecimal, 0},
      {"1e2", kMoney, DecimalFault::NotDecimal, 0},
      {"+1", kMoney, DecimalFault::NotDecimal, 0},
      {"1,50", kMoney, DecimalFault::NotDecimal, 0},
      {" 1", kMoney, DecimalFault::NotDecimal, 0},
      {"NaN", kMoney, DecimalFault::NotDecimal, 0},
  };
  for (const Case& c : cases) {
    std::int64_t units = -99;
    EXPECT_EQ(ParseDecimal(c.text, c.field, units), c.fault) << c.text;
    if (c.fault == DecimalFault::None) {
      EXPECT_EQ(units, c.units) << c.text;
    }
  }
}

TEST(ExactDecimalTest, WritesUnitsBackAndHandsTheLibraryTheNearestDouble) {
  EXPECT_EQ(DecimalText(1234, 2), "12.34");
  EXPECT_EQ(DecimalText(5, 2), "0.05");
  EXPECT_EQ(DecimalText(-150, 2), "-1.50");
  EXPECT_EQ(DecimalText(1500, 3), "1.500");
  EXPECT_EQ(DecimalText(7, 0), "7");
  EXPECT_EQ(UnitsToDouble(1234, 2), 12.34);
  EXPECT_EQ(UnitsToDouble(99999999999999, 2), 999999999999.99);
}

// The problem a reader raises, or none.
template <class F>
Problem ProblemOf(F&& read) {
  try {
    read();
  } catch (const ProblemError& e) {
    return e.problem();
  }
  return Problem{"", "", ""};
}

TEST(RequestDecoderTest, RefusesWhatIsNotOneJsonObject) {
  const char* bodies[] = {
      "{",       // cut short
      "[1, 2]",  // not an object
      "\"texto\"",
      "{\"valor\": 1, \"valor\": 2}",  // a member twice
      "{\"a\": \"\xC3\"}",             // broken UTF-8
      "{\"a\": [[[[[[[[[1]]]]]]]]]}",  // deeper than the bound
      "{\"a\": 1} {}",                 // two documents
  };
  for (const char* body : bodies) {
    const Problem problem = ProblemOf([&] { RequestBody::Parse(body); });
    EXPECT_EQ(problem.codigo, "requisicao_invalida") << body;
    EXPECT_EQ(StatusOf(problem.codigo), 400) << body;
  }
  EXPECT_NO_THROW(RequestBody::Parse(""));
  EXPECT_NO_THROW(RequestBody::Parse(" {} "));
}

TEST(RequestDecoderTest, ReadsMoneyFromTextOrNumberExactly) {
  struct Case {
    const char* body;
    const char* codigo;  // "" when read
    std::int64_t cents;
  };
  const Case cases[] = {
      {R"({"valor": "12.34"})", "", 1234},
      {R"({"valor": 12.34})", "", 1234},
      {R"({"valor": 12.30})", "", 1230},
      {R"({"valor": 12})", "", 1200},
      {R"({"valor": 0.1})", "", 10},
      {R"({"valor": 2.675})", "valor_nao_cabe", 0},
      {R"({"valor": 1e2})", "campo_invalido", 0},
      {R"({"valor": 123456789012345678901234})", "valor_nao_cabe", 0},
      {R"({"valor": -5})", "campo_invalido", 0},
      {R"({"valor": true})", "campo_invalido", 0},
      {R"({"valor": "doze"})", "campo_invalido", 0},
      {R"({"valor": null})", "campo_obrigatorio", 0},
      {R"({})", "campo_obrigatorio", 0},
  };
  for (const Case& c : cases) {
    std::int64_t cents = -1;
    const Problem problem = ProblemOf([&] { cents = RequestBody::Parse(c.body).Decimal("valor", kMoney); });
    EXPECT_EQ(problem.codigo, c.codigo) << c.body;
    if (*c.codigo) {
      EXPECT_EQ(problem.campo, "valor") << c.body;
    } else {
      EXPECT_EQ(cents, c.cents) << c.body;
    }
  }
}

TEST(RequestDecoderTest, TextsReachTheCodePageExactlyOrAreRefusedByField) {
  const TextField field{10};
  struct Case {
    const char* body;
    const char* codigo;
    const char* text;  // Windows-1252
  };
  const Case cases[] = {
      {"{\"t\": \"Conce\xC3\xA7\xC3\xA3o\"}", "", "Conce\xE7\xE3o"},
      {"{\"t\": \"\xE2\x82\xAC 5\"}", "", "\x80 5"},                           // the euro sign is in the code page
      {"{\"t\": \"ok \xE2\x9C\x93\"}", "texto_fora_da_pagina_de_codigo", ""},  // a check mark is not
      {"{\"t\": \"\\u4e2d\"}", "texto_fora_da_pagina_de_codigo", ""},
      {"{\"t\": \"a\\u001bb\"}", "campo_invalido", ""},  // ESC would end a printer frame
      {"{\"t\": \"a\\nb\"}", "campo_invalido", ""},
      {"{\"t\": \"\\u0081\"}", "campo_invalido", ""},  // a C1 control
      {"{\"t\": \"12345678901\"}", "valor_nao_cabe", ""},
      {"{\"t\": \"\"}", "campo_invalido", ""},
      {"{\"t\": 5}", "campo_invalido", ""},
  };
  for (const Case& c : cases) {
    std::string text;
    const Problem problem = ProblemOf([&] { text = RequestBody::Parse(c.body).Text("t", field); });
    EXPECT_EQ(problem.codigo, c.codigo) << c.body;
    if (*c.codigo) {
      EXPECT_EQ(problem.campo, "t") << c.body;
    } else {
      EXPECT_EQ(text, c.text) << c.body;
    }
  }
}

TEST(RequestDecoderTest, ListItemsAndUnknownMembersAreNamed) {
  const RequestBody body = RequestBody::Parse(R"({"linhas": ["um", "dois", 3], "extra": 1})");
  Problem problem = ProblemOf([&] { body.TextList("linhas", TextField{48, true}, 10); });
  EXPECT_EQ(problem.codigo, "campo_invalido");
  EXPECT_EQ(problem.campo, "linhas/2");
  problem = ProblemOf([&] { body.NoOtherFields(); });
  EXPECT_EQ(problem.codigo, "campo_desconhecido");
  EXPECT_EQ(problem.campo, "extra");
  problem =
      ProblemOf([&] { RequestBody::Parse(R"({"linhas": ["a", "b", "c"]})").TextList("linhas", TextField{4}, 2); });
  EXPECT_EQ(problem.codigo, "valor_nao_cabe");
}

TEST(RequestDecoderTest, TheSameRequestHasOneCanonicalForm) {
  const std::string a = RequestBody::Parse(R"({"b": 1.50, "a": ["x"]})").Canonical();
  EXPECT_EQ(a, RequestBody::Parse("{ \"a\" : [\"x\"],\n \"b\":1.50 }").Canonical());
  EXPECT_NE(a, RequestBody::Parse(R"({"b": 1.5, "a": ["x"]})").Canonical());
  EXPECT_NE(a, RequestBody::Parse(R"({"b": "1.50", "a": ["x"]})").Canonical());
}

TEST(ProblemTest, EveryCodeAnswersItsStatusAsProblemJson) {
  for (const ProblemKind& kind : ProblemKinds()) {
    const Reply reply = ProblemReply(Problem{kind.codigo, "Conce\xE7\xE3o", "campo"});
    EXPECT_EQ(reply.status, kind.status) << kind.codigo;
    EXPECT_EQ(reply.content_type, "application/problem+json");
    const Json body = Json::parse(reply.body);
    EXPECT_EQ(body["status"], kind.status);
    EXPECT_EQ(body["codigo"], kind.codigo);
    EXPECT_EQ(body["type"], std::string("urn:pkg-qdm:problema:") + kind.codigo);
    EXPECT_EQ(body["mensagem"], "Conce\xC3\xA7\xC3\xA3o");
    EXPECT_EQ(body["detail"], body["mensagem"]);
    EXPECT_EQ(body["campo"], "campo");
  }
}

}  // namespace
}  // namespace qdm_service
