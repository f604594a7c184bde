// The card-network chooser: a small modal form offering TecBan (1), the
// other networks (2) or quitting (9, also Esc). It is shown through the
// dialog presenter; the presenter's answer clicks the matching button.
#pragma once
#include <string>
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00500 {

class TfrmCartaoDebito {
 public:
  struct TButton {
    std::string Caption;      // "&1": the digit is the accelerator
    std::string Description;  // what the button stands for
    int Choice;               // the form's choice after a click
    bool Cancel;              // also clicked by Esc
  };
  // Where a presenter with windows shows a network's logo: its own 180 x 61
  // picture, stretched to this size. The library ships no picture (the
  // presenter gets the buttons' captions and descriptions, never a file).
  struct TImage {
    int Width;
    int Height;
  };

  TfrmCartaoDebito();

  // Shows the form modally; answers the choice it was left with.
  int ShowModal();

  void btnTecBanClick();
  void btnOutrosClick();
  void bbtEncerraClick();
  // A click on a logo is a click on its button.
  void imgTecBanClick() { btnTecBanClick(); }
  void imgOutrosClick() { btnOutrosClick(); }

  std::string Caption = "Cart\xE3o de D\351bito";
  static constexpr int ClientWidth = 382;
  static constexpr int ClientHeight = 314;
  int Choice = 0;  // 0 until a button is clicked
  bool Closed = false;

  const TButton btnTecBan{"&1", "TecBan", 1, false};
  const TImage imgTecBan{180, 53};
  const TButton btnOutros{"&2", "Outras redes", 2, false};
  const TImage imgOutros{180, 53};
  const TButton bbtEncerra{"&9 - Encerra", "Encerra", 9, true};
  const std::string edtCartaoDebito = "Escolha a Rede Desejada";
};

}  // namespace Qdm00500

PKG_QDM_PUBLIC_END
