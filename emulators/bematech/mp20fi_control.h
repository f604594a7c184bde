/* Control interface of the emulated Bematech printer ("Mp20fi32.dll").
 * Tests and the demo reach it by loading the same library (dlopen of the
 * same file gives the same instance) and binding these names; the six
 * maker entry points are the printer's, these are the bench's.
 *
 * Settings also read from the environment when the library loads:
 *   MP20FI_STATE  path of the state file (the printer's fiscal memory);
 *                 unset or empty: state kept in memory only.
 *   MP20FI_TAPE   path of the paper tape file (what the printer prints);
 *                 unset: "mp20fi_tape.txt" in the current directory.
 *   MP20FI_CLOCK_OFFSET  seconds added to the host clock.
 */
#ifndef MP20FI_CONTROL_H
#define MP20FI_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Factory-fresh printer: default identity, tables and fiscal day (open
 * today, nothing sold), paper ok, no faults, no recorded frames, empty
 * tape. Keeps the state and tape file paths; rewrites the state file. */
void Mp20Emu_Reset(void);
/* Reloads the state file as a power-on would (a closed port, no open
 * command in progress). */
void Mp20Emu_PowerCycle(void);
void Mp20Emu_SetStateFile(const char* path);
void Mp20Emu_SetTapeFile(const char* path);

/* Clock: fixed at a moment (it does not run), or the host clock plus an
 * offset in seconds. */
void Mp20Emu_SetClock(int year, int month, int day, int hour, int minute, int second);
void Mp20Emu_UseHostClock(long long offset_seconds);
/* The open fiscal day (movement date); year 0 means no day open yet. */
void Mp20Emu_SetFiscalDay(int year, int month, int day);

/* Identity and tables. */
void Mp20Emu_SetIdentity(const char* printer_number, const char* serial);
/* Tax rates as "1800T,0500S,1200T" (percent with two implied decimals and
 * T for goods or S for services); replaces the table. */
void Mp20Emu_SetRates(const char* rates);
/* Non-fiscal totalizer names, separated by '\n'; replaces the table. */
void Mp20Emu_SetTotalizers(const char* names);
/* Payment method names, separated by '\n' ("Dinheiro" is always 01). */
void Mp20Emu_SetPaymentMethods(const char* names);

/* Faults. A count applies to that many of the next commands (FormataTX
 * calls); -1 holds it until cleared with 0. */
void Mp20Emu_ForceStatus(int st1, int st2, int count);
void Mp20Emu_InjectNak(int count);
void Mp20Emu_InjectReturnCode1(int count);
void Mp20Emu_RefuseTransmission(int count); /* FormataTX answers non-zero */
void Mp20Emu_HoldBusy(int polls);           /* ST2 bit 6 for N status polls */
void Mp20Emu_SetPaper(int level);           /* 0 ok, 1 low, 2 out */
void Mp20Emu_SetPortAvailable(int available); /* 0: IniPortaStr fails */

/* Traffic: every frame handed to FormataTX, in order, as received (the
 * bare busy polls ESC "|19|" ESC included). */
int Mp20Emu_FrameCount(void);
/* Copies frame `index` (0-based) into buf (NUL-terminated, cut to size);
 * answers its full length, or -1 for a bad index. */
int Mp20Emu_Frame(int index, char* buf, int size);
void Mp20Emu_ClearFrames(void);
/* Number of Status_Mp20FI calls since the last ClearFrames. */
int Mp20Emu_StatusPolls(void);

/* The tape: copies what was printed since the last reset (or clear) into
 * buf; answers its full length. */
int Mp20Emu_Tape(char* buf, int size);
void Mp20Emu_ClearTape(void);

/* Counters of the fiscal memory, for checks. */
int Mp20Emu_CouponNumber(void);      /* last coupon number (COO) */
int Mp20Emu_ReductionCount(void);    /* Z reductions so far */
int Mp20Emu_CouponOpen(void);        /* 1 while a coupon is open */
double Mp20Emu_GrandTotal(void);

/* The cash drawer: "22|255" opens it; the operator shuts it. */
void Mp20Emu_SetDrawerOpen(int open);
int Mp20Emu_DrawerOpen(void);
/* Where command "69" writes the reduction report; default "mp20fi.ret"
 * in the current directory, as the maker's library does. */
void Mp20Emu_SetReportFile(const char* path);

#ifdef __cplusplus
}
#endif

#endif
