// Module Qdm00700: the check printer, two ways. A plain serial check
// printer takes raw bytes through ImpChqChar; a Perto check printer is
// driven through the maker's library "PertoChekSer.dll", whose four entry
// points the module binds for the front end (IdTipoImpChq 2).
#pragma once
#include <string>

#include "platform/os/dynlib.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00700 {

// The Perto library's entry points. "IniComm" and "EnvComm" are the front
// end's to call; "RecComm" writes an answer of at most `tamanho` bytes, its
// terminating zero included, and answers 0 when none came.
using TIniComm = int(const char* porta);
using TEndComm = int();
using TEnvComm = int(const char* comando);
using TRecComm = int(int tamanho, char* resposta);

// ---- Exported globals --------------------------------------------------
extern TIniComm* IniciaImpChq;
extern TEndComm* FinalizaImpChq;
extern TEnvComm* EnviaComImpChq;
extern TRecComm* RespostaImpChq;
extern bool ImpChequeOk;
extern char resp[256];  // the last answer, zero-terminated

// The size handed to "RecComm"; the answer is taken into a buffer of that
// size and copied into resp only when it fits there.
constexpr int TamanhoRecComm = 500;

void StartImpCheque();
void StopImpCheque();
// Reads the check printer's answer into resp. Status 0 ("the command did
// not go") shows "ErroCom"; no answer, or one that does not fit resp,
// shows "ErroRecp" and leaves resp empty.
bool Retorno_Imp(int status);
// Sends the text unchanged to the serial check printer on the data
// module's IdPortaChq at its IdVelocChq speed, 8N1; open, write, close.
bool ImpChqChar(const std::string& texto);

}  // namespace Qdm00700

PKG_QDM_PUBLIC_END
