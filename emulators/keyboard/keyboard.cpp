// One keyboard for both models; which names a library exports is the
// model's data (its .names file and common.names, see CMakeLists.txt).
#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "emulators/common/device.h"
#include "emulators/common/fields.h"
#include "emulators/keyboard/tec_keyboard.h"

#define TEC_API extern "C" __attribute__((visibility("default")))

using emu::CopyOut;

namespace {

constexpr int kColumns = 20;
constexpr int kLines = 2;
constexpr std::size_t kTrackBytes = 127;

// The keyboard on the common emulated device: its port is the keyboard's
// own line (held against other processes under the model's name), its
// frames the calls made, in order.
class Keyboard : public emu::Device {
 public:
  static Keyboard& Instance() {
    static Keyboard keyboard;
    return keyboard;
  }

  void Record(std::string call) { RecordFrame(std::move(call)); }
  bool Open() { return OpenPort(TEC_MODEL); }
  void Close() { ClosePort(); }
  bool open() const { return port_open(); }

  // No memory survives a power cut.
  void SetStateFile(const std::string&) override {}
  void SetFiscalDay(std::optional<int>) override {}

  std::array<std::string, kLines> lines;
  int column = 0, line = 0;  // the cursor, 0-based
  bool enabled = false;
  std::string track;     // the last card swiped
  int op_key = 0;
  std::string received;  // raw bytes the host sent with TxKbd

 protected:
  void FactoryReset() override {
    PowerOn();
    track.clear();
    op_key = 0;
  }
  void PowerOn() override {
    lines.fill(std::string(kColumns, ' '));
    column = line = 0;
    enabled = false;
    received.clear();
  }

 private:
  Keyboard() : Device(TEC_LIBRARY, TEC_PREFIX, "") {
    PowerOn();
    emu::Serve(*this);
  }
};

std::string Text(const char* text) { return text ? text : "(null)"; }

// Records the call and answers the keyboard, under the library's lock.
class Call {
 public:
  explicit Call(const std::string& recorded) : lock_(emu::LibraryLock()) { k().Record(recorded); }
  Keyboard& k() { return Keyboard::Instance(); }

 private:
  std::lock_guard<std::mutex> lock_;
};

void Put(Keyboard& k, char c) {
  if (k.column >= kColumns) return;
  k.lines[static_cast<std::size_t>(k.line)][static_cast<std::size_t>(k.column++)] = c;
}

void ClearDisplay(Keyboard& k) {
  for (auto& line : k.lines) line.assign(kColumns, ' ');
  k.column = k.line = 0;
}

int Switch(const char* name, int on) {
  Call call(std::string(name) + "(" + std::to_string(on) + ")");
  return call.k().open() ? 1 : 0;
}

int OpenKeyboard(const char* name) {
  Call call(std::string(name) + "()");
  return call.k().Open() ? 1 : 0;
}

int CloseKeyboard(const char* name) {
  Call call(std::string(name) + "()");
  call.k().Close();
  return 1;
}

int ReadTrack(const char* name, char* buf, bool clear) {
  Call call(std::string(name) + "()");
  Keyboard& k = call.k();
  if (!k.open() || !buf) return 0;
  const int length = CopyOut(k.track, buf, static_cast<int>(kTrackBytes + 1));
  if (clear) k.track.clear();
  return length;
}

}  // namespace

// ---- The keyboard's own functions ------------------------------------------
TEC_API int EnableKbd(void) {
  Call call("EnableKbd()");
  call.k().enabled = true;
  return 1;
}
TEC_API int DisableKbd(void) {
  Call call("DisableKbd()");
  call.k().enabled = false;
  return 1;
}
TEC_API int OpenTec44(void) { return OpenKeyboard("OpenTec44"); }
TEC_API int OpenTec65(void) { return OpenKeyboard("OpenTec65"); }
TEC_API int CloseTec44(void) { return CloseKeyboard("CloseTec44"); }
TEC_API int CloseTec65(void) { return CloseKeyboard("CloseTec65"); }

TEC_API int FormFeed(void) {
  Call call("FormFeed()");
  ClearDisplay(call.k());
  return 1;
}
TEC_API int CarRet(void) {
  Call call("CarRet()");
  call.k().column = 0;
  return 1;
}
TEC_API int LineFeed(void) {
  Call call("LineFeed()");
  Keyboard& k = call.k();
  k.line = std::min(k.line + 1, kLines - 1);
  return 1;
}
TEC_API int BackSpace(void) {
  Call call("BackSpace()");
  Keyboard& k = call.k();
  if (k.column > 0) k.lines[static_cast<std::size_t>(k.line)][static_cast<std::size_t>(--k.column)] = ' ';
  return 1;
}
TEC_API int DispStr(const char* text) {
  Call call("DispStr(" + Text(text) + ")");
  Keyboard& k = call.k();
  if (!k.open() || !text) return 0;
  for (const char* c = text; *c; ++c) Put(k, *c);
  return 1;
}
TEC_API int DispCh(int ch) {
  Call call("DispCh(" + std::to_string(ch) + ")");
  if (!call.k().open()) return 0;
  Put(call.k(), static_cast<char>(ch));
  return 1;
}
TEC_API int GoToXY(int column, int line) {
  Call call("GoToXY(" + std::to_string(column) + "," + std::to_string(line) + ")");
  if (column < 1 || column > kColumns || line < 1 || line > kLines) return 0;
  call.k().column = column - 1;
  call.k().line = line - 1;
  return 1;
}
TEC_API int DispClrLn1(void) {
  Call call("DispClrLn1()");
  call.k().lines[0].assign(kColumns, ' ');
  return 1;
}
TEC_API int DispClrLn2(void) {
  Call call("DispClrLn2()");
  call.k().lines[1].assign(kColumns, ' ');
  return 1;
}
TEC_API int GetMCRBuf(char* buf) { return ReadTrack("GetMCRBuf", buf, true); }
TEC_API int GetMCRBufnc(char* buf) { return ReadTrack("GetMCRBufnc", buf, false); }
TEC_API int GetMCRMsg(char* buf) {
  Call call("GetMCRMsg()");
  if (!buf) return 0;
  return CopyOut(call.k().track.empty() ? "SEM CARTAO" : "CARTAO LIDO", buf, 16);
}
TEC_API int ReadOpKey(void) {
  Call call("ReadOpKey()");
  return call.k().op_key;
}
TEC_API int TxKbd(const char* bytes) {
  Call call("TxKbd(" + Text(bytes) + ")");
  if (!call.k().open() || !bytes) return 0;
  call.k().received += bytes;
  return 1;
}
TEC_API int RxKbd(char* buf, int size) {
  Call call("RxKbd(" + std::to_string(size) + ")");
  return CopyOut("", buf, size);
}
TEC_API int ProgSpecialChar(int key, const char* text) {
  Call call("ProgSpecialChar(" + std::to_string(key) + "," + Text(text) + ")");
  return call.k().open() ? 1 : 0;
}
TEC_API int Reset(void) {
  Call call("Reset()");
  Keyboard& k = call.k();
  ClearDisplay(k);
  k.track.clear();
  k.received.clear();
  return 1;
}
TEC_API int BeepKeyOn(int on) { return Switch("BeepKeyOn", on); }
TEC_API int BeepOn(int ms) { return Switch("BeepOn", ms); }
TEC_API int SetCard(int on) { return Switch("SetCard", on); }
TEC_API int SetDisp(int on) { return Switch("SetDisp", on); }
TEC_API int SetEcho(int on) { return Switch("SetEcho", on); }
TEC_API int SetOpKey(int on) { return Switch("SetOpKey", on); }
TEC_API int SetPIN(int on) { return Switch("SetPIN", on); }
TEC_API int NumLock(int on) { return Switch("NumLock", on); }
TEC_API int CapsLock(int on) { return Switch("CapsLock", on); }
TEC_API int SetNumL(int on) { return Switch("SetNumL", on); }
TEC_API int SetCapsL(int on) { return Switch("SetCapsL", on); }

// ---- Bench side ------------------------------------------------------------
template <typename Work>
auto WithKeyboard(Work&& work) {
  return emu::Locked([&] { return work(Keyboard::Instance()); });
}

TEC_API const char* TecEmu_Model(void) { return TEC_MODEL; }
TEC_API int TecEmu_Display(char* buf, int size) {
  return WithKeyboard([&](Keyboard& k) { return CopyOut(k.lines[0] + "\n" + k.lines[1], buf, size); });
}
TEC_API void TecEmu_SwipeCard(const char* track) {
  WithKeyboard([&](Keyboard& k) { k.track = std::string(track ? track : "").substr(0, kTrackBytes); });
}
TEC_API void TecEmu_TurnOpKey(int position) {
  WithKeyboard([&](Keyboard& k) { k.op_key = std::clamp(position, 0, 3); });
}
TEC_API int TecEmu_IsEnabled(void) {
  return WithKeyboard([](Keyboard& k) { return k.enabled ? 1 : 0; });
}

// Makes the keyboard (reading the environment) as the library loads.
__attribute__((constructor)) static void LoadKeyboard() { Keyboard::Instance(); }
