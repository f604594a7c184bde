/* The emulated Sweda printer's own controls ("SERSWEDA.dll"), beside the
 * neutral ones every emulator exports (emulators/common/emu_control.h:
 * reset, power cycle, state and tape files, clock, busy answers ".-P006",
 * a printer that does not answer (Emu_RefuseTransmission), paper, port,
 * frames, tape). Settings read from the environment under the prefix
 * SERSWEDA (SERSWEDA_STATE, SERSWEDA_TAPE, SERSWEDA_CLOCK_OFFSET), and
 *   SERSWEDA_MODEL  type code the printer answers as (3 to 6; default 3),
 *                   for a new fiscal memory.
 * Emu_SetFiscalDay sets the fiscal day's date; SwdEmu_SetFiscalDay also
 * says whether it has movement. Little paper shows as "5" in the answers
 * of the status request and of the commands that begin a document.
 */
#ifndef SERSWEDA_CONTROL_H
#define SERSWEDA_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* The model: the type code 3, 4, 5 or 6 this printer answers as (its
 * command codes, payment-method width, discount field, check station). */
void SwdEmu_SetModel(int tipo);
int SwdEmu_Model(void);

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

/* The next `count` commands (state requests "28" excepted) are refused
 * with this code ("-P007") and text, not executed. */
void SwdEmu_Refuse(const char* code, const char* text, int count);
/* Faults at one command: the next `count` frames whose code and
 * arguments begin with `command` ("01" every item, "273" the identity
 * reading, "12" the closing) are answered and not executed: refused with
 * this code and text, or answered busy (".-P006"). -1 holds the fault
 * until set again with 0; a power cycle ends it. The frame is recorded. */
void SwdEmu_RefuseAt(const char* command, const char* code, const char* text, int count);
void SwdEmu_HoldBusyAt(const char* command, int count);
/* Answers for the next "28" frames, in order: a state word placed at
 * positions 10 to 17 ("I IMPRIM"), or a refusal code ("-P002"). */
void SwdEmu_QueueState(const char* word_or_code);
/* The port number of the last "AbrePorta" and "FechaPorta" calls. */
int SwdEmu_OpenedPort(void);
int SwdEmu_ClosedPort(void);

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
