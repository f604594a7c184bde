// The manager's clock: the host's, moved by TEF_MANAGER_CLOCK_OFFSET
// seconds when set (read once), so a register that lives ahead of its host
// gets vouchers and a journal dated as its coupons are.
#pragma once
#include "emulators/common/clock.h"

namespace tef_emu {

const emu::Clock& manager_clock();

}  // namespace tef_emu
