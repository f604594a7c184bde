// Module Qdm00800: the optical (bar-code) reader and the proximity (badge)
// reader on serial ports, the reader thread that types bar codes into a
// front-end window, and the maker library "DCVT32.dll" that gives a badge
// number (matrícula) its check digit.
#pragma once
#include <cstdint>
#include <string>

#include "platform/os/application.h"
#include "platform/os/dynlib.h"
#include "platform/os/thread.h"
#include "platform/base/export.h"

PKG_QDM_PUBLIC_BEGIN

namespace Qdm00800 {

// "DescriptografaMatricula": the program directory and the badge number,
// zero-terminated; answers a zero-terminated text the library keeps.
using TDescriptografaMatricula = const char*(const char* diretorio, const char* matricula);

// ---- Exported globals (set by the front end unless noted) ---------------
extern int IdPortaOpt;                       // optical reader: index into Portas (1..12 COM1..COM12)
extern int IdVelocOpt;                       // optical reader: index into Velocidades
extern int IdTipoOpt;                        // 2: the reader ends each reading with one character to drop
extern int IdPortaProx;                      // proximity reader: index into Portas
extern int IdVelocProx;                      // proximity reader: index into Velocidades
extern int IdTipoProx;                       // kept for the front end
extern std::string IdCriptoCons;             // "1" enables the check-digit library
extern bool DigVerifOK;                      // set by the module
extern platform::HMODULE DigVerifDLLHandle;  // set by the module
extern TDescriptografaMatricula* DVDescriptografaMatricula;  // set by the module

// ---- Readers ------------------------------------------------------------
// What the reader sent in one read: at most 51 bytes, within one second in
// all (less when 51 bytes come sooner), up to the first zero byte; "" when
// nothing came or the port could not be opened and set up. The port is
// opened and closed on every call.
std::string GetOpticalReaderValue();
std::string GetProximidadeReaderValue();

// Types the text into the window on the calling thread: a WM_CHAR per byte,
// each handled before the next, then an Enter WM_KEYDOWN.
void PostTextHandle(uintptr_t handle, const std::string& texto);

// Reads the optical reader without pause and types each reading that
// starts with a letter or a digit into the window, on the main thread
// (through Synchronize), waiting until it is delivered. Created suspended;
// the front end resumes it, terminates it and frees it. It ends at the
// latest one read time-out after Terminate. When the reader's port cannot
// be opened it looks again after a read time-out rather than spinning.
class TScannerThread : public platform::TThread {
 public:
  TScannerThread(platform::TThreadPriority prioridade, uintptr_t handle);
  ~TScannerThread() override;

 protected:
  void Execute() override;
  void SendMessageToHandle();  // on the main thread

 private:
  uintptr_t FHandle;
  std::string FTexto;
};

// ---- Badge check digit ----------------------------------------------------
void StartDigVerif();
void StopDigVerif();
// The badge number with its check digit as the library answers it, or ""
// when the library is off or answers nothing usable. An answer longer than
// LongestMatricula bytes (or not ended within them) is refused whole: a
// badge number cut short would be a wrong badge.
std::string GetMatriculaDV(const std::string& matricula);
constexpr std::size_t LongestMatricula = 32;

}  // namespace Qdm00800

PKG_QDM_PUBLIC_END
