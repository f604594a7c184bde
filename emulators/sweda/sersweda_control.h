/* Control interface of the emulated Sweda printer ("SERSWEDA.dll").
 * Tests and the demo reach it by loading the same library (dlopen of the
 * same file gives the same instance) and binding these names; the three
 * maker entry points are the printer's, these are the bench's.
 *
 * Settings also read from the environment when the library loads:
 *   SERSWEDA_STATE  path of the state file (the printer's fiscal memory);
 *                   unset or empty: state kept in memory only.
 *   SERSWEDA_TAPE   path of the paper tape file; unset: "sersweda_tape.txt"
 *                   in the current directory.
 *   SERSWEDA_MODEL  type code the printer answers as (3 to 6; default 3),
 *                   for a new fiscal memory.
 */
#ifndef SERSWEDA_CONTROL_H
#define SERSWEDA_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Factory-fresh printer of the current model: default identity, tables
 * ("Dinheiro", four rates, no totalizers), fiscal day today with no
 * movement, paper ok, no faults, no recorded frames, empty tape. */
void SwdEmu_Reset(void);
/* Reloads the state file as a power-on would (the port closed). */
void SwdEmu_PowerCycle(void);
void SwdEmu_SetStateFile(const char* path);
void SwdEmu_SetTapeFile(const char* path);

/* The model: the type code 3, 4, 5 or 6 this printer answers as (its
 * command codes, payment-method width, discount field, check station). */
void SwdEmu_SetModel(int tipo);
int SwdEmu_Model(void);

/* Clock: fixed at a moment, or the host clock plus an offset in seconds. */
void SwdEmu_SetClock(int year, int month, int day, int hour, int minute, int second);
void SwdEmu_UseHostClock(long long offset_seconds);
/* The fiscal day and whether it has movement (an open day takes no table
 * programming and asks for a Z reduction once it is past). */
void SwdEmu_SetFiscalDay(int year, int month, int day, int open);

/* Identity and tables. */
void SwdEmu_SetIdentity(const char* ecf, const char* serial);
/* Rates as 7-character entries separated by ',': "T011800,S040500". */
void SwdEmu_SetRates(const char* rates);
/* Payment methods separated by '\n', each "name" or "F|name" with its flag. */
void SwdEmu_SetPaymentMethods(const char* methods);
/* Totalizer entries (sign and name) separated by '\n'. */
void SwdEmu_SetTotalizers(const char* entries);
/* The tables as the printer holds them: entries separated by '\n',
 * payment methods as "F|name" (free slots left out). Answer full length. */
int SwdEmu_PaymentMethods(char* buf, int size);
int SwdEmu_Totalizers(char* buf, int size);

/* Faults. A count applies to that many of the next frames; -1 holds. */
void SwdEmu_HoldBusy(int frames);  /* answered ".-P006...", not executed */
/* The next `count` commands (state requests "28" excepted) are refused
 * with this code ("-P007") and text, not executed. */
void SwdEmu_Refuse(const char* code, const char* text, int count);
/* Answers for the next "28" frames, in order: a state word placed at
 * positions 10 to 17 ("I IMPRIM"), or a refusal code ("-P002"). */
void SwdEmu_QueueState(const char* word_or_code);
void SwdEmu_SetPaper(int level);  /* 0 ok, 1 low ("5" in the answers), 2 out */
void SwdEmu_SetPortAvailable(int available);
/* Every answer comes back empty (a printer that does not answer). */
void SwdEmu_SetSilent(int silent);

/* Traffic: every frame handed to "EnviaComando", in order. */
int SwdEmu_FrameCount(void);
int SwdEmu_Frame(int index, char* buf, int size);
void SwdEmu_ClearFrames(void);
/* The port number of the last "AbrePorta" and "FechaPorta" calls. */
int SwdEmu_OpenedPort(void);
int SwdEmu_ClosedPort(void);

/* The tape printed since the last reset or clear. */
int SwdEmu_Tape(char* buf, int size);
void SwdEmu_ClearTape(void);

/* Counters of the fiscal memory. */
int SwdEmu_CouponNumber(void);
int SwdEmu_ReductionCount(void);
int SwdEmu_CouponOpen(void);
int SwdEmu_ReportOpen(void);
int SwdEmu_CheckInProgress(void);
double SwdEmu_GrandTotal(void);
void SwdEmu_SetDrawerOpen(int open);
int SwdEmu_DrawerOpen(void);

#ifdef __cplusplus
}
#endif

#endif
