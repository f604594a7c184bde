/* The emulated badge check-digit library "DCVT32.dll".
 *
 *   const char* DescriptografaMatricula(const char* diretorio, const char* matricula)
 *
 * The badge number (1 to 20 digits) followed by its check digit, modulo 11:
 * the digits from the right are weighted 2, 3, ..., 9, 2, 3, ...; the digit
 * is 11 minus the sum's remainder by 11, and 0 when that gives 10 or 11.
 * "12345" -> "123455". A badge number that is empty, too long or not all
 * digits answers "". The answer lives in the library until the next call.
 * The directory is the program's, as the register hands it; the library
 * keeps the last one for the bench.
 */
#ifndef DCVT32_H
#define DCVT32_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bench side. */
enum DcvtFault {
  DCVT_OK = 0,
  DCVT_OVERLONG = 1,      /* a zero-terminated answer of 200 digits */
  DCVT_UNTERMINATED = 2,  /* 256 digits and no zero in the answer buffer */
  DCVT_NULL = 3           /* a null answer */
};
void DcvtEmu_SetFault(int fault);
/* The directory of the last call (zero-terminated, cut to size); answers its length. */
int DcvtEmu_LastDirectory(char* buf, int size);
int DcvtEmu_CallCount(void);

#ifdef __cplusplus
}
#endif

#endif
