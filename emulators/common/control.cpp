// The neutral control interface (emu_control.h) over the library's device,
// each call under the library's one lock.
#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <type_traits>

#include "emulators/common/device.h"
#include "emulators/common/fields.h"

#pragma GCC visibility push(default)
#include "emulators/common/emu_control.h"
#pragma GCC visibility pop

namespace emu {

namespace {

std::atomic<Device*> served{nullptr};

// Runs `work` on the device under the lock.
template <typename Work>
void OnDevice(Work&& work) {
  Locked([&] {
    if (Device* device = served) work(*device);
  });
}

// Answers what `work` finds on the device, under the lock; `otherwise`
// before a device is served.
template <typename Work, typename Result = std::invoke_result_t<Work, Device&>>
Result AskDevice(Work&& work, Result otherwise = Result()) {
  return Locked([&]() -> Result {
    Device* device = served;
    return device ? work(*device) : otherwise;
  });
}

std::string Text(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

void Serve(Device& device) { served = &device; }

std::mutex& LibraryLock() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace emu

using emu::AskDevice;
using emu::Device;
using emu::OnDevice;

extern "C" {

void Emu_Reset(void) {
  OnDevice([](Device& d) { d.Reset(); });
}

void Emu_PowerCycle(void) {
  OnDevice([](Device& d) { d.PowerCycle(); });
}

void Emu_SetStateFile(const char* path) {
  OnDevice([path](Device& d) { d.SetStateFile(emu::Text(path)); });
}

void Emu_SetTapeFile(const char* path) {
  OnDevice([path](Device& d) { d.tape().SetPath(emu::Text(path)); });
}

void Emu_SetClock(int year, int month, int day, int hour, int minute, int second) {
  if (!emu::ValidDate(year, month, day) || !emu::ValidTime(hour, minute, second)) return;
  OnDevice([&](Device& d) { d.clock().Freeze(emu::DateTime{year, month, day, hour, minute, second}); });
}

void Emu_UseHostClock(long long offset_seconds) {
  OnDevice([offset_seconds](Device& d) { d.clock().UseHost(offset_seconds); });
}

void Emu_SetFiscalDay(int year, int month, int day) {
  if (year == 0) return OnDevice([](Device& d) { d.SetFiscalDay(std::nullopt); });
  if (!emu::ValidDate(year, month, day)) return;
  OnDevice([&](Device& d) { d.SetFiscalDay(emu::DayNumber(year, month, day)); });
}

void Emu_RefuseTransmission(int count) {
  OnDevice([count](Device& d) { d.faults().refuse.Set(count); });
}

void Emu_HoldBusy(int count) {
  OnDevice([count](Device& d) { d.faults().busy.Set(count); });
}

void Emu_SetPaper(int level) {
  OnDevice([level](Device& d) { d.SetPaper(static_cast<emu::Paper>(std::clamp(level, 0, 2))); });
}

void Emu_SetPortAvailable(int available) {
  OnDevice([available](Device& d) { d.SetPortAvailable(available != 0); });
}

int Emu_PortOpen(void) {
  return AskDevice([](Device& d) { return d.port_open() ? 1 : 0; });
}

int Emu_FrameCount(void) {
  return AskDevice([](Device& d) { return static_cast<int>(std::min<std::size_t>(d.traffic().count(), INT_MAX)); });
}

int Emu_Frame(int index, char* buf, int size) {
  return AskDevice(
      [=](Device& d) {
        const auto frame = index < 0 ? std::nullopt : d.traffic().frame(static_cast<std::size_t>(index));
        return frame ? emu::CopyOut(*frame, buf, size) : -1;
      },
      -1);
}

void Emu_ClearFrames(void) {
  OnDevice([](Device& d) { d.ClearFrames(); });
}

int Emu_Tape(char* buf, int size) {
  return AskDevice([=](Device& d) { return emu::CopyOut(d.tape().Printed(), buf, size); });
}

void Emu_ClearTape(void) {
  OnDevice([](Device& d) { d.tape().ClearCopy(); });
}

}  // extern "C"
