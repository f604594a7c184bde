/* The emulated badge check-digit library "DCVT32.dll".
 *
 *   const char* DescriptografaMatricula(const char* diretorio, const char* matricula)
 *
 * The badge number (1 to 20 digits) followed by its check digit, modulo 11:
 * the digits from the right are weighted 2, 3, ..., 9, 2, 3, ...; the digit
 * is 11 minus the sum's remainder by 11, and 0 when that gives 10 or 11.
 * "12345" -> "123455". A badge number that is empty, too long or not all
 * digits answers "". The answer lives in the library until the next call.
 * Bench side: the neutral interface of every emulator
 * (emulators/common/emu_control.h), whose frames are the calls made, each
 * as "directory|badge number", and the fault below.
 */
#ifndef DCVT32_H
#define DCVT32_H

#ifdef __cplusplus
extern "C" {
#endif

enum DcvtFault {
  DCVT_OK = 0,
  DCVT_OVERLONG = 1,     /* a zero-terminated answer of 200 digits */
  DCVT_UNTERMINATED = 2, /* 256 digits and no zero in the answer buffer */
  DCVT_NULL = 3          /* a null answer */
};
/* Holds until set back to DCVT_OK (Emu_Reset does too). */
void DcvtEmu_SetFault(int fault);

#ifdef __cplusplus
}
#endif

#endif
