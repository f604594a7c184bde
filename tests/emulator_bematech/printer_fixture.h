// Drives the emulated printer the way the driver does: "Mp20fi32.dll"
// loaded from the test executable's directory, entry points bound by name.
#pragma once
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace mp20test {

inline constexpr int kCouponOpenBit = 0x02;

struct Library {
  int (*IniPortaStr)(const char*);
  int (*FechaPorta)();
  int (*FormataTX)(const char*);
  int (*Status_Mp20FI)(int*, int*, int*, int*);
  int (*Le_Variaveis)(char*);
  void (*Reset)();
  void (*PowerCycle)();
  void (*SetStateFile)(const char*);
  void (*SetTapeFile)(const char*);
  void (*SetReportFile)(const char*);
  void (*SetClock)(int, int, int, int, int, int);
  void (*SetFiscalDay)(int, int, int);
  void (*SetIdentity)(const char*, const char*);
  void (*SetRates)(const char*);
  void (*SetTotalizers)(const char*);
  void (*SetPaymentMethods)(const char*);
  void (*ForceStatus)(int, int, int);
  void (*InjectNak)(int);
  void (*InjectReturnCode1)(int);
  void (*RefuseTransmission)(int);
  void (*HoldBusy)(int);
  void (*SetPaper)(int);
  void (*SetPortAvailable)(int);
  int (*FrameCount)();
  int (*Frame)(int, char*, int);
  void (*ClearFrames)();
  int (*StatusPolls)();
  int (*Tape)(char*, int);
  void (*ClearTape)();
  int (*CouponNumber)();
  int (*ReductionCount)();
  int (*CouponOpen)();
  double (*GrandTotal)();
  void (*SetDrawerOpen)(int);

  static const Library& Get() {
    static const Library library = Load();
    return library;
  }

 private:
  static Library Load() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) throw std::runtime_error("no /proc/self/exe");
    self[n] = 0;
    std::string file = std::filesystem::path(self).parent_path() / "Mp20fi32.dll";
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw std::runtime_error(dlerror());
    auto bind = [handle](const char* name) {
      void* p = dlsym(handle, name);
      if (!p) throw std::runtime_error(std::string("missing ") + name);
      return p;
    };
    Library l{};
#define BIND(field, name) l.field = reinterpret_cast<decltype(l.field)>(bind(name))
    BIND(IniPortaStr, "IniPortaStr");
    BIND(FechaPorta, "FechaPorta");
    BIND(FormataTX, "FormataTX");
    BIND(Status_Mp20FI, "Status_Mp20FI");
    BIND(Le_Variaveis, "Le_Variaveis");
    bind("Retorna_ASCII");
    BIND(Reset, "Mp20Emu_Reset");
    BIND(PowerCycle, "Mp20Emu_PowerCycle");
    BIND(SetStateFile, "Mp20Emu_SetStateFile");
    BIND(SetTapeFile, "Mp20Emu_SetTapeFile");
    BIND(SetReportFile, "Mp20Emu_SetReportFile");
    BIND(SetClock, "Mp20Emu_SetClock");
    BIND(SetFiscalDay, "Mp20Emu_SetFiscalDay");
    BIND(SetIdentity, "Mp20Emu_SetIdentity");
    BIND(SetRates, "Mp20Emu_SetRates");
    BIND(SetTotalizers, "Mp20Emu_SetTotalizers");
    BIND(SetPaymentMethods, "Mp20Emu_SetPaymentMethods");
    BIND(ForceStatus, "Mp20Emu_ForceStatus");
    BIND(InjectNak, "Mp20Emu_InjectNak");
    BIND(InjectReturnCode1, "Mp20Emu_InjectReturnCode1");
    BIND(RefuseTransmission, "Mp20Emu_RefuseTransmission");
    BIND(HoldBusy, "Mp20Emu_HoldBusy");
    BIND(SetPaper, "Mp20Emu_SetPaper");
    BIND(SetPortAvailable, "Mp20Emu_SetPortAvailable");
    BIND(FrameCount, "Mp20Emu_FrameCount");
    BIND(Frame, "Mp20Emu_Frame");
    BIND(ClearFrames, "Mp20Emu_ClearFrames");
    BIND(StatusPolls, "Mp20Emu_StatusPolls");
    BIND(Tape, "Mp20Emu_Tape");
    BIND(ClearTape, "Mp20Emu_ClearTape");
    BIND(CouponNumber, "Mp20Emu_CouponNumber");
    BIND(ReductionCount, "Mp20Emu_ReductionCount");
    BIND(CouponOpen, "Mp20Emu_CouponOpen");
    BIND(GrandTotal, "Mp20Emu_GrandTotal");
    BIND(SetDrawerOpen, "Mp20Emu_SetDrawerOpen");
#undef BIND
    return l;
  }
};

struct Reply {
  int sent = 0;  // FormataTX
  int ret = 0, ack = 0, st1 = 0, st2 = 0;
  bool Clean() const { return sent == 0 && ret != 1 && ack == 6 && (st1 & ~0x42) == 0 && st2 == 0; }
};

inline std::ostream& operator<<(std::ostream& out, const Reply& r) {
  return out << "{sent " << r.sent << " ret " << r.ret << " ack " << r.ack << " st1 " << r.st1 << " st2 " << r.st2
             << "}";
}

inline std::string FrameFor(const std::string& code, const std::vector<std::string>& fields = {}) {
  std::string frame = "\x1B|" + code;
  for (const auto& f : fields) frame += "|" + f;
  return frame + "|\x1B";
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A printer fresh from the factory, its memory, tape and report file in a
// temporary directory, its clock frozen at 12/06/2026 10:00, port open.
class PrinterTest : public ::testing::Test {
 protected:
  const Library& lib = Library::Get();
  std::string dir;

  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "mp20emu-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir = tmpl;
    lib.SetStateFile(File("state").c_str());
    lib.SetTapeFile(File("tape.txt").c_str());
    lib.SetReportFile(File("mp20fi.ret").c_str());
    lib.SetClock(2026, 6, 12, 10, 0, 0);
    lib.Reset();
    lib.SetFiscalDay(2026, 6, 12);
    ASSERT_NE(lib.IniPortaStr("COM1"), 0);
  }
  void TearDown() override {
    lib.FechaPorta();
    lib.SetStateFile("");
    lib.SetTapeFile("");
    lib.SetReportFile("");
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }

  std::string File(const std::string& name) const { return dir + "/" + name; }

  Reply Status() const {
    Reply r;
    lib.Status_Mp20FI(&r.ret, &r.ack, &r.st1, &r.st2);
    return r;
  }
  Reply SendFrame(const std::string& frame) const {
    int sent = lib.FormataTX(frame.c_str());
    Reply r = Status();
    r.sent = sent;
    return r;
  }
  Reply Send(const std::string& code, const std::vector<std::string>& fields = {}) const {
    return SendFrame(FrameFor(code, fields));
  }
  // Sends and expects the printer to take the command.
  void Ok(const std::string& code, const std::vector<std::string>& fields = {}) const {
    Reply r = Send(code, fields);
    ASSERT_TRUE(r.Clean()) << code << " " << r;
  }
  // The 3000-byte answer buffer, pre-filled with spaces as the driver does.
  std::string Buffer() const {
    std::string buffer(3000, ' ');
    lib.Le_Variaveis(buffer.data());
    return buffer;
  }
  std::string Answer() const {
    std::string b = Buffer();
    std::size_t end = b.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : b.substr(0, end + 1);
  }
  std::string Ask(const std::string& code, const std::vector<std::string>& fields = {}) const {
    Reply r = Send(code, fields);
    EXPECT_TRUE(r.Clean()) << code << " " << r;
    return Answer();
  }
  std::string TapeText() const {
    int size = lib.Tape(nullptr, 0);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    lib.Tape(text.data(), size + 1);
    text.resize(static_cast<std::size_t>(size));
    return text;
  }
  std::vector<std::string> Frames() const {
    std::vector<std::string> frames;
    for (int i = 0; i < lib.FrameCount(); ++i) {
      int size = lib.Frame(i, nullptr, 0);
      std::string f(static_cast<std::size_t>(size) + 1, '\0');
      lib.Frame(i, f.data(), size + 1);
      f.resize(static_cast<std::size_t>(size));
      frames.push_back(f);
    }
    return frames;
  }

  // An item of `units` whole units at `cents` each, tax "01".
  void Sell(const std::string& code, int units, long cents) const {
    char quantity[8], price[16];
    std::snprintf(quantity, sizeof quantity, "%04d", units);
    std::snprintf(price, sizeof price, "%08ld", cents);
    Ok("09", {std::string(13 - code.size(), '0') + code, "PRODUTO " + code, "01", quantity, price, "0000"});
  }
  static std::string V14(long long cents) {
    char text[24];
    std::snprintf(text, sizeof text, "%014lld", cents);
    return text;
  }
  // Open, one item of 10,00, paid in cash, closed.
  void WholeCoupon() const {
    Ok("00");
    Sell("1", 1, 1000);
    Ok("32", {"D", "0000"});
    Ok("72", {"01", V14(1000)});
    Ok("34", {" "});
  }
};

}  // namespace mp20test
