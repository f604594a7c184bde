// The keyboard's library, its binding table and the start and stop.
#include "drivers/common/library.h"
#include "facade/Qdm00000.h"
#include "peripherals/common/maker_library.h"
#include "peripherals/keyboard/Qdm00400.h"

namespace Qdm00400 {

bool TecladoOK = false;
platform::HMODULE TecladoDLLHandle = nullptr;
TTeclEntry TeclRxKbd, TeclProgSpecialChar, TeclGetMCRBufnc, TeclDispClrLn1, TeclDispClrLn2, TeclGetMCRMsg44, CloseTec44,
    OpenTec44, TeclTxKbd44, TeclNumLock, TeclCapsLock;
TTeclEntry TeclSetCapsL65, TeclSetNumL65, TeclGetMCRMsg65, CloseTec65, OpenTec65, TeclTxKbd65;
TTeclEntry TeclEnableKbd, TeclDisableKbd, TeclBackSpace, TeclBeepKeyOn, TeclBeepOn, TeclCarRet, TeclDispStr, TeclDispCh,
    TeclGetMCRBuf, TeclGoToXY, TeclLineFeed, TeclFormFeed, TeclReadOpKey, TeclReset, TeclSetCard, TeclSetDisp,
    TeclSetEcho, TeclSetOpKey, TeclSetPIN;

namespace {

using drivers::EntryPoint;

// The rows of each model, then the common rows: bound in this order, the
// model's first. "GetMCRMsg" and "TxKbd" are in both libraries and go to a
// global per model.
const EntryPoint kTec44Rows[] = {
    {"RxKbd", &TeclRxKbd},
    {"ProgSpecialChar", &TeclProgSpecialChar},
    {"GetMCRBufnc", &TeclGetMCRBufnc},
    {"DispClrLn1", &TeclDispClrLn1},
    {"DispClrLn2", &TeclDispClrLn2},
    {"GetMCRMsg", &TeclGetMCRMsg44},
    {"CloseTec44", &CloseTec44},
    {"OpenTec44", &OpenTec44},
    {"TxKbd", &TeclTxKbd44},
    {"NumLock", &TeclNumLock},
    {"CapsLock", &TeclCapsLock},
};
const EntryPoint kTec65Rows[] = {
    {"SetCapsL", &TeclSetCapsL65}, {"SetNumL", &TeclSetNumL65}, {"GetMCRMsg", &TeclGetMCRMsg65},
    {"CloseTec65", &CloseTec65},   {"OpenTec65", &OpenTec65},   {"TxKbd", &TeclTxKbd65},
};
const EntryPoint kCommonRows[] = {
    {"EnableKbd", &TeclEnableKbd}, {"DisableKbd", &TeclDisableKbd}, {"BackSpace", &TeclBackSpace},
    {"BeepKeyOn", &TeclBeepKeyOn}, {"BeepOn", &TeclBeepOn},         {"CarRet", &TeclCarRet},
    {"DispStr", &TeclDispStr},     {"DispCh", &TeclDispCh},         {"GetMCRBuf", &TeclGetMCRBuf},
    {"GoToXY", &TeclGoToXY},       {"LineFeed", &TeclLineFeed},     {"FormFeed", &TeclFormFeed},
    {"ReadOpKey", &TeclReadOpKey}, {"Reset", &TeclReset},           {"SetCard", &TeclSetCard},
    {"SetDisp", &TeclSetDisp},     {"SetEcho", &TeclSetEcho},       {"SetOpKey", &TeclSetOpKey},
    {"SetPIN", &TeclSetPIN},
};

struct Model {
  int tipo;  // IdTipoTecl
  const char* library;
  drivers::EntryPoints rows;
  TTeclEntry* open;  // the model's open function, called at start
};

const Model kModels[] = {
    {1, "Tec44Win.dll", kTec44Rows, &OpenTec44},
    {3, "Tec65_32.dll", kTec65Rows, &OpenTec65},
};

const Model* SelectedModel() {
  for (const Model& model : kModels)
    if (model.tipo == Qdm00000::IdTipoTecl) return &model;
  return nullptr;
}

// Every global of every row: a stop clears them all, whatever IdTipoTecl
// says by then, so no global is left pointing into an unloaded library.
void ClearEntryPoints() {
  drivers::ClearAll(kTec44Rows);
  drivers::ClearAll(kTec65Rows);
  drivers::ClearAll(kCommonRows);
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
  TecladoDLLHandle = peripherals::LoadAndBind(model->library, {model->rows, kCommonRows});
  if (TecladoDLLHandle == nullptr) return;
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
