// The reader thread and the keystrokes it types into the front end's window.
#include <cctype>

#include "platform/base/clock.h"
#include "peripherals/readers/Qdm00800.h"
#include "peripherals/readers/reading.h"

namespace Qdm00800 {
namespace {

using namespace platform;

// A reader whose port cannot be opened is looked at again after this long
// (the read time-out), in slices, so Terminate is still heard at once.
constexpr int kRetryMs = 1000;
constexpr int kRetrySliceMs = 50;

bool StartsLikeACode(const std::string& text) {
  if (text.empty()) return false;
  const unsigned char first = static_cast<unsigned char>(text.front());
  return (first >= '0' && first <= '9') || (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
}

}  // namespace

void PostTextHandle(uintptr_t handle, const std::string& texto) {
  const auto window = static_cast<HWND>(handle);
  for (const char c : texto) SendMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 0);
  SendMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
}

TScannerThread::TScannerThread(TThreadPriority prioridade, uintptr_t handle) : TThread(true), FHandle(handle) {
  Priority = prioridade;
  FreeOnTerminate = false;
  FTexto.clear();
}

TScannerThread::~TScannerThread() {
  // Execute reads this object's members: it must be over before they go.
  Terminate();
  try {
    WaitFor();
  } catch (...) {
    // A failure of a call handed to the main thread: the thread has ended.
  }
}

void TScannerThread::Execute() {
  while (!Terminated()) {
    std::string reading;
    if (detail::ReadOptical(reading) == detail::ReadResult::kNoPort) {
      for (int waited = 0; waited < kRetryMs && !Terminated(); waited += kRetrySliceMs) clock::Pause(kRetrySliceMs);
      continue;
    }
    if (Terminated() || !StartsLikeACode(reading)) continue;
    FTexto = reading;
    Synchronize([this] { SendMessageToHandle(); });
  }
}

void TScannerThread::SendMessageToHandle() {
  PostTextHandle(FHandle, FTexto);
  FTexto.clear();
}

}  // namespace Qdm00800
