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

#include "emulators/common/export.h"

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
  std::string track;  // the last card swiped
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
EMU_EXPORT int EnableKbd(void) {
  Call call("EnableKbd()");
  call.k().enabled = true;
  return 1;
}
EMU_EXPORT int DisableKbd(void) {
  Call call("DisableKbd()");
  call.k().enabled = false;
  return 1;
}
EMU_EXPORT int OpenTec44(void) { return OpenKeyboard("OpenTec44"); }
EMU_EXPORT int OpenTec65(void) { return OpenKeyboard("OpenTec65"); }
EMU_EXPORT int CloseTec44(void) { return CloseKeyboard("CloseTec44"); }
EMU_EXPORT int CloseTec65(void) { return CloseKeyboard("CloseTec65"); }

EMU_EXPORT int FormFeed(void) {
  Call call("FormFeed()");
  ClearDisplay(call.k());
  return 1;
}
EMU_EXPORT int CarRet(void) {
  Call call("CarRet()");
  call.k().column = 0;
  return 1;
}
EMU_EXPORT int LineFeed(void) {
  Call call("LineFeed()");
  Keyboard& k = call.k();
  k.line = std::min(k.line + 1, kLines - 1);
  return 1;
}
EMU_EXPORT int BackSpace(void) {
  Call call("BackSpace()");
  Keyboard& k = call.k();
  if (k.column > 0) k.lines[static_cast<std::size_t>(k.line)][static_cast<std::size_t>(--k.column)] = ' ';
  return 1;
}
EMU_EXPORT int DispStr(const char* text) {
  Call call("DispStr(" + Text(text) + ")");
  Keyboard& k = call.k();
  if (!k.open() || !text) return 0;
  for (const char* c = text; *c; ++c) Put(k, *c);
  return 1;
}
EMU_EXPORT int DispCh(int ch) {
  Call call("DispCh(" + std::to_string(ch) + ")");
  if (!call.k().open()) return 0;
  Put(call.k(), static_cast<char>(ch));
  return 1;
}
EMU_EXPORT int GoToXY(int column, int line) {
  Call call("GoToXY(" + std::to_string(column) + "," + std::to_string(line) + ")");
  if (column < 1 || column > kColumns || line < 1 || line > kLines) return 0;
  call.k().column = column - 1;
  call.k().line = line - 1;
  return 1;
}
EMU_EXPORT int DispClrLn1(void) {
  Call call("DispClrLn1()");
  call.k().lines[0].assign(kColumns, ' ');
  return 1;
}
EMU_EXPORT int DispClrLn2(void) {
  Call call("DispClrLn2()");
  call.k().lines[1].assign(kColumns, ' ');
  return 1;
}
EMU_EXPORT int GetMCRBuf(char* buf) { return ReadTrack("GetMCRBuf", buf, true); }
EMU_EXPORT int GetMCRBufnc(char* buf) { return ReadTrack("GetMCRBufnc", buf, false); }
EMU_EXPORT int GetMCRMsg(char* buf) {
  Call call("GetMCRMsg()");
  if (!buf) return 0;
  return CopyOut(call.k().track.empty() ? "SEM CARTAO" : "CARTAO LIDO", buf, 16);
}
EMU_EXPORT int ReadOpKey(void) {
  Call call("ReadOpKey()");
  return call.k().op_key;
}
EMU_EXPORT int TxKbd(const char* bytes) {
  Call call("TxKbd(" + Text(bytes) + ")");
  if (!call.k().open() || !bytes) return 0;
  call.k().received += bytes;
  return 1;
}
EMU_EXPORT int RxKbd(char* buf, int size) {
  Call call("RxKbd(" + std::to_string(size) + ")");
  return CopyOut("", buf, size);
}
EMU_EXPORT int ProgSpecialChar(int key, const char* text) {
  Call call("ProgSpecialChar(" + std::to_string(key) + "," + Text(text) + ")");
  return call.k().open() ? 1 : 0;
}
EMU_EXPORT int Reset(void) {
  Call call("Reset()");
  Keyboard& k = call.k();
  ClearDisplay(k);
  k.track.clear();
  k.received.clear();
  return 1;
}
EMU_EXPORT int BeepKeyOn(int on) { return Switch("BeepKeyOn", on); }
EMU_EXPORT int BeepOn(int ms) { return Switch("BeepOn", ms); }
EMU_EXPORT int SetCard(int on) { return Switch("SetCard", on); }
EMU_EXPORT int SetDisp(int on) { return Switch("SetDisp", on); }
EMU_EXPORT int SetEcho(int on) { return Switch("SetEcho", on); }
EMU_EXPORT int SetOpKey(int on) { return Switch("SetOpKey", on); }
EMU_EXPORT int SetPIN(int on) { return Switch("SetPIN", on); }
EMU_EXPORT int NumLock(int on) { return Switch("NumLock", on); }
EMU_EXPORT int CapsLock(int on) { return Switch("CapsLock", on); }
EMU_EXPORT int SetNumL(int on) { return Switch("SetNumL", on); }
EMU_EXPORT int SetCapsL(int on) { return Switch("SetCapsL", on); }

// ---- Bench side ------------------------------------------------------------
template <typename Work>
auto WithKeyboard(Work&& work) {
  return emu::Locked([&] { return work(Keyboard::Instance()); });
}

EMU_EXPORT const char* TecEmu_Model(void) { return TEC_MODEL; }
EMU_EXPORT int TecEmu_Display(char* buf, int size) {
  return WithKeyboard([&](Keyboard& k) { return CopyOut(k.lines[0] + "\n" + k.lines[1], buf, size); });
}
EMU_EXPORT void TecEmu_SwipeCard(const char* track) {
  WithKeyboard([&](Keyboard& k) { k.track = std::string(track ? track : "").substr(0, kTrackBytes); });
}
EMU_EXPORT void TecEmu_TurnOpKey(int position) {
  WithKeyboard([&](Keyboard& k) { k.op_key = std::clamp(position, 0, 3); });
}
EMU_EXPORT int TecEmu_IsEnabled(void) {
  return WithKeyboard([](Keyboard& k) { return k.enabled ? 1 : 0; });
}

// Makes the keyboard (reading the environment) as the library loads.
__attribute__((constructor)) static void LoadKeyboard() { Keyboard::Instance(); }
