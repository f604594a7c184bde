// The keyboard's library, its binding table and the start and stop.
#include "facade/Qdm00000.h"
#include "peripherals/keyboard/Qdm00400.h"

namespace Qdm00400 {

bool TecladoOK = false;
platform::HMODULE TecladoDLLHandle = nullptr;
TTeclEntry TeclRxKbd, TeclProgSpecialChar, TeclGetMCRBufnc, TeclDispClrLn1, TeclDispClrLn2, TeclGetMCRMsg44,
    CloseTec44, OpenTec44, TeclTxKbd44, TeclNumLock, TeclCapsLock;
TTeclEntry TeclSetCapsL65, TeclSetNumL65, TeclGetMCRMsg65, CloseTec65, OpenTec65, TeclTxKbd65;
TTeclEntry TeclEnableKbd, TeclDisableKbd, TeclBackSpace, TeclBeepKeyOn, TeclBeepOn, TeclCarRet, TeclDispStr,
    TeclDispCh, TeclGetMCRBuf, TeclGoToXY, TeclLineFeed, TeclFormFeed, TeclReadOpKey, TeclReset, TeclSetCard,
    TeclSetDisp, TeclSetEcho, TeclSetOpKey, TeclSetPIN;

namespace {

enum Models : unsigned { kTec44 = 1, kTec65 = 2, kBoth = kTec44 | kTec65 };

struct Model {
  int tipo;  // IdTipoTecl
  Models model;
  const char* library;
  TTeclEntry* open;  // the model's open function, called at start
};

const Model kModels[] = {
    {1, kTec44, "Tec44Win.dll", &OpenTec44},
    {3, kTec65, "Tec65_32.dll", &OpenTec65},
};

struct Binding {
  const char* name;
  TTeclEntry* global;
  Models models;
};

// Bound in this order: the model's rows come first, then the common ones.
// "GetMCRMsg" and "TxKbd" are in both libraries and go to a global per model.
const Binding kBindings[] = {
    {"RxKbd", &TeclRxKbd, kTec44},
    {"ProgSpecialChar", &TeclProgSpecialChar, kTec44},
    {"GetMCRBufnc", &TeclGetMCRBufnc, kTec44},
    {"DispClrLn1", &TeclDispClrLn1, kTec44},
    {"DispClrLn2", &TeclDispClrLn2, kTec44},
    {"GetMCRMsg", &TeclGetMCRMsg44, kTec44},
    {"CloseTec44", &CloseTec44, kTec44},
    {"OpenTec44", &OpenTec44, kTec44},
    {"TxKbd", &TeclTxKbd44, kTec44},
    {"NumLock", &TeclNumLock, kTec44},
    {"CapsLock", &TeclCapsLock, kTec44},
    {"SetCapsL", &TeclSetCapsL65, kTec65},
    {"SetNumL", &TeclSetNumL65, kTec65},
    {"GetMCRMsg", &TeclGetMCRMsg65, kTec65},
    {"CloseTec65", &CloseTec65, kTec65},
    {"OpenTec65", &OpenTec65, kTec65},
    {"TxKbd", &TeclTxKbd65, kTec65},
    {"EnableKbd", &TeclEnableKbd, kBoth},
    {"DisableKbd", &TeclDisableKbd, kBoth},
    {"BackSpace", &TeclBackSpace, kBoth},
    {"BeepKeyOn", &TeclBeepKeyOn, kBoth},
    {"BeepOn", &TeclBeepOn, kBoth},
    {"CarRet", &TeclCarRet, kBoth},
    {"DispStr", &TeclDispStr, kBoth},
    {"DispCh", &TeclDispCh, kBoth},
    {"GetMCRBuf", &TeclGetMCRBuf, kBoth},
    {"GoToXY", &TeclGoToXY, kBoth},
    {"LineFeed", &TeclLineFeed, kBoth},
    {"FormFeed", &TeclFormFeed, kBoth},
    {"ReadOpKey", &TeclReadOpKey, kBoth},
    {"Reset", &TeclReset, kBoth},
    {"SetCard", &TeclSetCard, kBoth},
    {"SetDisp", &TeclSetDisp, kBoth},
    {"SetEcho", &TeclSetEcho, kBoth},
    {"SetOpKey", &TeclSetOpKey, kBoth},
    {"SetPIN", &TeclSetPIN, kBoth},
};

const Model* SelectedModel() {
  for (const Model& model : kModels)
    if (model.tipo == Qdm00000::IdTipoTecl) return &model;
  return nullptr;
}

// Every global of every row: a stop clears them all, whatever IdTipoTecl
// says by then, so no global is left pointing into an unloaded library.
void ClearEntryPoints() {
  for (const Binding& binding : kBindings) *binding.global = nullptr;
}

bool BindModel(Models model) {
  for (const Binding& binding : kBindings) {
    if (!(binding.models & model)) continue;
    *binding.global = platform::GetProcAddress(TecladoDLLHandle, binding.name);
    if (*binding.global == nullptr) return false;
  }
  return true;
}

// The three switching-on calls take no arguments; their results are not
// looked at.
void CallWithoutArguments(TTeclEntry entry) { reinterpret_cast<int (*)()>(entry)(); }

}  // namespace

void StartTeclado() {
  // A second start must not load the library a second time over the first.
  if (TecladoOK) StopTeclado();
  TecladoOK = false;
  const Model* model = SelectedModel();
  if (model == nullptr) return;
  TecladoDLLHandle = platform::LoadLibraryA(model->library);
  if (TecladoDLLHandle == nullptr) return;
  if (!BindModel(model->model)) {
    platform::FreeLibrary(TecladoDLLHandle);
    TecladoDLLHandle = nullptr;
    ClearEntryPoints();
    return;
  }
  CallWithoutArguments(TeclEnableKbd);
  CallWithoutArguments(*model->open);
  CallWithoutArguments(TeclFormFeed);
  TecladoOK = true;
}

void StopTeclado() {
  if (TecladoOK) {
    // The keyboard is neither disabled nor closed first: the front end
    // does that through the globals when it wants to.
    ClearEntryPoints();
    platform::FreeLibrary(TecladoDLLHandle);  // a failure here changes nothing
  }
  TecladoOK = false;
  TecladoDLLHandle = nullptr;
}

}  // namespace Qdm00400
