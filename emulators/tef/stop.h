// Orderly stop on SIGTERM/SIGINT and the pauses that honour it.
#pragma once

namespace tef_emu {

void install_stop_handlers();
bool stop_requested();

// Sleeps in short slices; returns early once a stop is requested.
void pause_ms(int ms);

}  // namespace tef_emu
