#include "tools/qdm_register/daruma_steps.h"

#include <cstdlib>

namespace qdm_register {

void PrepareDaruma(const RegisterSession& session, int tipo) {
  setenv("FS345_STATE", session.file("fs345.state").c_str(), 1);
  setenv("FS345_TAPE", session.file("tape.txt").c_str(), 1);
  setenv("FS345_MODEL", tipo == 8 ? "8" : "7", 1);
}

}  // namespace qdm_register
