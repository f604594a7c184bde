/* Control interface of the emulated Daruma printer ("fs345_32.dll"),
 * beside the neutral one every emulator exports (emulators/common/
 * emu_control.h: reset, power cycle, state and tape files, clock, fiscal
 * day, refused transmissions, paper, port, frames, tape). There a busy
 * printer (Emu_HoldBusy) is an answer still arriving: that many
 * "DAR_Resposta" reads each see a little more of it.
 *
 * Settings read from the environment when the library loads, beside the
 * common FS345_STATE, FS345_TAPE and FS345_CLOCK_OFFSET:
 *   FS345_MODEL   7 or 8 (default 7) for a new fiscal memory.
 *
 * Answers: ":" then the answer's body; ":E" and two digits for an error.
 * Error codes: 01 unknown command, 02 bad parameters, 10 out of order
 * (no coupon, a document already open, payment short of the total),
 * 11 Z reduction due, 12 unknown tax code, 13 nothing to cancel,
 * 14 table full or name taken, 20 paper out, 30 fiscal memory not saved,
 * 31 tape not written. 21, 40, 43 and 61 are warnings on a command done.
 */
#ifndef FS345_CONTROL_H
#define FS345_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

void DarEmu_SetModel(int tipo); /* 7 or 8; kept in the fiscal memory */
int DarEmu_Model(void);

void DarEmu_SetIdentity(const char* ecf, const char* serial);
/* Rates as "A1800,B1200,c0500": the code letter (upper case goods, lower
 * case services) and the percent with two implied decimals. */
void DarEmu_SetRates(const char* rates);
/* Totalizers of the sign-and-name table ("+Suprimento\n-Sangria"), of the
 * name table, and payment methods ("VDinheiro\nNCheque": flag and name),
 * separated by '\n'; each replaces its table. */
void DarEmu_SetSignedTotalizers(const char* entries);
void DarEmu_SetNamedTotalizers(const char* names);
void DarEmu_SetPaymentMethods(const char* entries);

/* A document left open, as after a power failure: 0 none, 1 a coupon with
 * one item, 2 a management report. */
void DarEmu_LeaveOpen(int document);

/* ":E"+code to that many of the next commands (-1 holds; 0 clears);
 * warnings still do the command. */
void DarEmu_AnswerError(int code, int count);
/* The same, after `commands` more commands have been answered normally. */
void DarEmu_AnswerErrorAfter(int commands, int code, int count);
/* After `commands` more commands answered normally, the next `count` are
 * carried out but answered with nothing (-1 holds; 0 clears). */
void DarEmu_AnswerNothing(int commands, int count);
void DarEmu_SetDrawerOpen(int open);

int DarEmu_AnswerReads(void);               /* DAR_Resposta calls since the frames were cleared */
int DarEmu_PortString(char* buf, int size); /* the text DAR_AbreSerial last got */

int DarEmu_CouponNumber(void);
int DarEmu_OpenDocument(void); /* 0 none, 1 coupon, 2 report */
int DarEmu_ReductionCount(void);
long long DarEmu_GrandTotalCents(void);
long long DarEmu_DayCents(int what); /* 0 sales, 1 supplies, 2 withdrawals */
/* The tables as the bench set them (same forms as the setters). */
int DarEmu_Tables(int which, char* buf, int size); /* 0 signed, 1 named, 2 methods, 3 rates */

#ifdef __cplusplus
}
#endif

#endif
