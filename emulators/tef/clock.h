// Local wall-clock time in the formats the manager writes.
#pragma once
#include <ctime>
#include <string>

namespace tef_emu {

std::tm local_now();
std::string format_time(const std::tm& moment, const char* strftime_format);

}  // namespace tef_emu
