#include "emulators/tef/stop.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

namespace tef_emu {
namespace {

volatile std::sig_atomic_t g_stop = 0;

void on_stop_signal(int) { g_stop = 1; }

}  // namespace

void install_stop_handlers() {
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool stop_requested() { return g_stop != 0; }

void pause_ms(int ms) {
  constexpr int slice_ms = 20;
  while (ms > 0 && !stop_requested()) {
    const int step = std::min(ms, slice_ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(step));
    ms -= step;
  }
}

}  // namespace tef_emu
