// What a device call that answered false ends in: the debug log tells a
// printer that never judged the command (time-out, absent) from one that
// refused, and a refusal speaks in the words shown to the operator.
#include <gtest/gtest.h>

#include "platform/dialogs/dialogs.h"
#include "tools/qdm_service/outcome.h"

namespace qdm_service {
namespace {

TEST(OutcomeTest, TheLogAndTheOperatorsNotesNameTheProblem) {
  struct Case {
    std::string log;
    std::vector<OperatorNote> notes;
    const char* codigo;
    const char* mensagem;  // "" when any
  };
  const Case cases[] = {
      {"10/05/2024 10:00:00 - ERRO!!! Impressora ocupada\r\n", {}, "tempo_esgotado", ""},
      {"10/05/2024 10:00:00 - ERRO!!! Comando : \x1B|06|\x1B\r\n", {}, "dispositivo_ausente", ""},
      {"10/05/2024 10:00:00 - ERRO!!! DLL nao carregada: FormataTX\r\n", {}, "dispositivo_ausente", ""},
      {"10/05/2024 10:00:00 - ERRO!!! Ret recebido\r\n", {}, "tempo_esgotado", ""},
      {"10/05/2024 10:00:00 - Comando : \x1B|05|\x1B\r\n",
       {{platform::mtConfirmation, "Confirma?"}, {platform::mtInformation, "Comando n\xE3o executado"}},
       "impressora_recusou",
       "Comando n\xE3o executado"},
      {"", {{platform::mtConfirmation, "Confirma?"}}, "impressora_recusou", "recusou"},
      {"", {}, "impressora_recusou", "recusou"},
  };
  for (const Case& c : cases) {
    Observation seen{c.notes, c.log};
    const Problem problem = JudgeFailure(seen, "recusou");
    EXPECT_EQ(problem.codigo, c.codigo) << c.log;
    if (*c.mensagem) {
      EXPECT_EQ(problem.mensagem, c.mensagem) << c.log;
    }
  }
}

TEST(OutcomeTest, TheServicesOperatorAnswersByRuleAndKeepsWhatItWasShown) {
  ServiceOperator op;
  platform::DialogRequest question{"Deseja abrir o caixa?", platform::mtConfirmation, platform::mbYesNo, true};
  platform::DialogRequest error{"Pouco papel", platform::mtError, platform::mbOK, true};
  EXPECT_EQ(op.Show(question), platform::mrNo);
  EXPECT_EQ(op.Show(error), platform::mrOk);
  platform::ChoiceRequest choice;
  choice.close_result = 0;
  choice.options.push_back({'2', "&2", "Outras", 2, false});
  EXPECT_EQ(op.Choose(choice), 0);
  const auto notes = op.Take();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1].text, "Pouco papel");
  EXPECT_TRUE(op.Take().empty());
  EXPECT_EQ(Notices(Observation{notes, ""}), Json::array({"Deseja abrir o caixa?", "Pouco papel"}));
}

}  // namespace
}  // namespace qdm_service
