// Choice of the card network, and with it of the manager's root.
#include <array>
#include <string_view>

#include "platform/dialogs/dialogs.h"
#include "platform/os/files.h"
#include "platform/base/sysutils.h"
#include "tef/Qdm00500.h"
#include "tef/TfrmCartaoDebito.h"
#include "tef/intpos_record.h"

namespace Qdm00500 {

using namespace detail;

namespace {

struct OperationCaption {
  std::string_view tipo;
  const char* caption;
};

// Any other operation keeps the form's own caption.
constexpr std::array<OperationCaption, 3> kCaptions{{
    {"D", "Cart\xE3o de D\351bito"},
    {"Q", "Consulta de Cheque"},
    {"A", "Fun\xE7\365es Administrativas"},
}};

platform::ChoiceOption OptionOf(const TfrmCartaoDebito::TButton& button) {
  return {button.Caption[1], button.Caption, button.Description, button.Choice, button.Cancel};
}

}  // namespace

TfrmCartaoDebito::TfrmCartaoDebito() = default;

void TfrmCartaoDebito::btnTecBanClick() {
  Choice = btnTecBan.Choice;
  Closed = true;
}

void TfrmCartaoDebito::btnOutrosClick() {
  Choice = btnOutros.Choice;
  Closed = true;
}

void TfrmCartaoDebito::bbtEncerraClick() {
  Choice = bbtEncerra.Choice;
  Closed = true;
}

int TfrmCartaoDebito::ShowModal() {
  platform::ChoiceRequest request;
  request.caption = Caption;
  request.prompt = edtCartaoDebito;
  request.options = {OptionOf(btnTecBan), OptionOf(btnOutros), OptionOf(bbtEncerra)};
  // The close box leaves the choice as it stands.
  request.close_result = Choice;
  const int answer = platform::CurrentDialogPresenter()->Choose(request);
  if (answer == btnTecBan.Choice)
    btnTecBanClick();
  else if (answer == btnOutros.Choice)
    btnOutrosClick();
  else if (answer == bbtEncerra.Choice)
    bbtEncerraClick();
  Closed = true;
  return Choice;
}

std::string TipoRede(const std::string& tipo) {
  if (!platform::DirectoryExists(kRootDisc) || tipo == "C") return "2";
  TfrmCartaoDebito form;
  for (const OperationCaption& entry : kCaptions)
    if (tipo == entry.tipo) form.Caption = entry.caption;
  return platform::IntToStr(form.ShowModal());
}

bool CheckDirTef(const std::string& tipo) {
  const std::string escolha = TipoRede(tipo);
  DirTef = escolha == "2" ? kRootDial : kRootDisc;
  return escolha != "9";
}

}  // namespace Qdm00500
