// The card-network chooser as the TEF client asks for it: the choice form
// the presenters are tested with.
#pragma once
#include "platform/dialogs/dialogs.h"

inline platform::ChoiceRequest NetworkForm() {
  platform::ChoiceRequest form;
  form.caption = "Cart\xE3o de D\351bito";
  form.prompt = "Escolha a Rede Desejada";
  form.options = {
      {'1', "&1", "TecBan", 1, false}, {'2', "&2", "Outras redes", 2, false}, {'9', "&9 - Encerra", "", 9, true}};
  form.close_result = 0;
  return form;
}
