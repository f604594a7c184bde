/* The MP-20 FI's own controls, beside the neutral ones every emulator
 * offers (emulators/common/emu_control.h: reset, power cycle, state and
 * tape files, clock and fiscal day, frames, tape, refused transmission,
 * busy, paper, port). Tests and the demo reach both by loading the same
 * library ("Mp20fi32.dll"; dlopen of the same file gives the same
 * instance) and binding these names; the six maker entry points are the
 * printer's, these are the bench's.
 *
 * Environment, read when the library loads: MP20FI_STATE, MP20FI_TAPE
 * (default "mp20fi_tape.txt" in the current directory) and
 * MP20FI_CLOCK_OFFSET, as emu_control.h describes.
 *
 * How the common faults show on this printer: Emu_RefuseTransmission makes
 * FormataTX answer 1; Emu_HoldBusy sets ST2 bit 6 for that many
 * Status_Mp20FI calls; Emu_SetPaper shows ST1 bit 6 (low) or bit 7 (out,
 * printing commands refused); Emu_SetPortAvailable(0) makes IniPortaStr
 * answer 0. IniPortaStr also answers 0 while another process has the port
 * open (see PKG_QDM_EMU_LOCK_DIR).
 */
#ifndef MP20FI_CONTROL_H
#define MP20FI_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Identity and tables. */
void Mp20Emu_SetIdentity(const char* printer_number, const char* serial);
/* Tax rates as "1800T,0500S,1200T" (percent with two implied decimals and
 * T for goods or S for services); replaces the table. */
void Mp20Emu_SetRates(const char* rates);
/* Non-fiscal totalizer names, separated by '\n'; replaces the table. */
void Mp20Emu_SetTotalizers(const char* names);
/* Payment method names, separated by '\n' ("Dinheiro" is always 01). */
void Mp20Emu_SetPaymentMethods(const char* names);

/* Faults of this printer. A count applies to that many of the next
 * commands (FormataTX calls); -1 holds it until cleared with 0. */
/* Adds the status bits to the commands' outcome; failure bits refuse
 * them. */
void Mp20Emu_ForceStatus(int st1, int st2, int count);
/* The command is not acknowledged (ACK byte 21). */
void Mp20Emu_InjectNak(int count);
/* The library reports a failed exchange (return code 1). */
void Mp20Emu_InjectReturnCode1(int count);
/* Refuses the next `count` commands of one code ("72", "80|52", ...) with
 * the status bits st1, st2. after_executing 0: the printer does nothing
 * with them; 1: it carries them out (registers the payment, prints) and the
 * outcome still shows the refusal. Count 0 clears the fault of that code;
 * faults of different codes stand side by side. */
void Mp20Emu_FailCommand(const char* code, int st1, int st2, int after_executing, int count);
/* The data answers of the next `count` commands of one code ("35", ...)
 * are cut to their first `length` bytes, the command itself taken as
 * usual. Count 0 clears the fault of that code. */
void Mp20Emu_CutAnswer(const char* code, int length, int count);

/* Number of Status_Mp20FI calls since the last Emu_ClearFrames. */
int Mp20Emu_StatusPolls(void);

/* Counters of the fiscal memory, for checks. */
int Mp20Emu_CouponNumber(void);   /* last coupon number (COO) */
int Mp20Emu_ReductionCount(void); /* Z reductions so far */
int Mp20Emu_CouponOpen(void);     /* 1 while a coupon is open */
double Mp20Emu_GrandTotal(void);

/* The cash drawer: "22|255" opens it; the operator shuts it. */
void Mp20Emu_SetDrawerOpen(int open);
int Mp20Emu_DrawerOpen(void);
/* Where command "69" writes the reduction report; default "mp20fi.ret"
 * in the current directory, as the maker's library does. */
void Mp20Emu_SetReportFile(const char* path);
/* Command "69" writes this text, byte for byte, in place of the printer's
 * own report (still only after a Z reduction); NULL or "" gives the
 * printer's own again, as does Emu_Reset. */
void Mp20Emu_SetReportText(const char* text);
/* The restaurant model (type 9): its reduction report prints one more
 * line among the fiscal totalizers, the service charge. */
void Mp20Emu_SetRestaurantModel(int restaurant);

#ifdef __cplusplus
}
#endif

#endif
