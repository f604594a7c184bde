/* Control interface of the emulated Daruma printer ("fs345_32.dll").
 * Tests and the register program reach it by loading the same library
 * (dlopen of the same file gives the same instance) and binding these
 * names; the five DAR_ entry points are the printer's, these the bench's.
 *
 * Settings also read from the environment when the library loads:
 *   FS345_MODEL   7 or 8 (default 7);
 *   FS345_STATE   path of the state file (the fiscal memory); unset: memory only;
 *   FS345_TAPE    path of the paper tape; unset: "fs345_tape.txt" here.
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

/* Factory-fresh printer of the current model: default identity, tables,
 * fiscal day open today, nothing sold, no faults, no frames, empty tape. */
void DarEmu_Reset(void);
/* Reloads the state file as a power-on would. */
void DarEmu_PowerCycle(void);
void DarEmu_SetModel(int tipo); /* 7 or 8; kept in the fiscal memory */
int DarEmu_Model(void);
void DarEmu_SetStateFile(const char* path);
void DarEmu_SetTapeFile(const char* path);

/* Clock, fixed (it does not run) or the host clock plus an offset. */
void DarEmu_SetClock(int year, int month, int day, int hour, int minute, int second);
void DarEmu_UseHostClock(long long offset_seconds);
void DarEmu_SetFiscalDay(int year, int month, int day);

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

/* Faults; a count applies to that many of the next calls. */
void DarEmu_UnstableReads(int reads);       /* DAR_Resposta still changing */
void DarEmu_FailSend(int count);            /* DAR_Envia answers -1, nothing done */
void DarEmu_AnswerError(int code, int count); /* ":E"+code; warnings still do the command */
/* The same, after `commands` more commands have been answered normally. */
void DarEmu_AnswerErrorAfter(int commands, int code, int count);
void DarEmu_SetPaper(int level);            /* 0 ok, 1 low, 2 out */
void DarEmu_SetPortAvailable(int available);
void DarEmu_SetDrawerOpen(int open);

/* Traffic: the bytes of every DAR_Envia call, in order. */
int DarEmu_FrameCount(void);
int DarEmu_Frame(int index, char* buf, int size); /* bytes copied; full length answered */
void DarEmu_ClearFrames(void);
int DarEmu_AnswerReads(void);                /* DAR_Resposta calls since ClearFrames */
int DarEmu_PortOpen(void);
int DarEmu_PortString(char* buf, int size);  /* the text DAR_AbreSerial last got */

int DarEmu_Tape(char* buf, int size);
void DarEmu_ClearTape(void);

int DarEmu_CouponNumber(void);
int DarEmu_OpenDocument(void);   /* 0 none, 1 coupon, 2 report */
int DarEmu_ReductionCount(void);
long long DarEmu_GrandTotalCents(void);
long long DarEmu_DayCents(int what); /* 0 sales, 1 supplies, 2 withdrawals */
/* The tables as the bench set them (same forms as the setters). */
int DarEmu_Tables(int which, char* buf, int size); /* 0 signed, 1 named, 2 methods, 3 rates */

#ifdef __cplusplus
}
#endif

#endif
