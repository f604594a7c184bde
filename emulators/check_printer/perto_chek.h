/* The emulated Perto check printer library "PertoChekSer.dll".
 *
 *   int IniComm(const char* porta)   opens the printer's port ("COM1");
 *                                    1 done, 0 port unavailable
 *   int EndComm(void)                closes it; 1
 *   int EnvComm(const char* comando) sends one command; 1 taken, 0 when the
 *                                    port is not open
 *   int RecComm(int tamanho, char* resposta)
 *                                    the oldest answer not yet read, zero-
 *                                    terminated, at most `tamanho` bytes with
 *                                    the zero; answers its length, 0 when no
 *                                    answer is waiting
 *
 * Each command is answered by one text: three digits, then for some a
 * blank and data.
 *   "000" done          "001" no check in the printer
 *   "002" unknown command   "003" bad or missing field   "005" no ink
 * Commands (ASCII; fields are remembered until the check is printed):
 *   "S"            status: "000 CHEQUE" with a check inserted, else "001"
 *   "B" + 3 digits the bank whose check form is used
 *   "V" + digits   the amount, in centavos (1 to 12 digits)
 *   "F" + text     payee (favorecido)
 *   "C" + text     city
 *   "D" + ddmmyyyy date
 *   "I"            prints the check (bank, amount and date needed) onto the
 *                  tape, ejects it and clears the fields
 *   "E"            ejects the check without printing
 */
#ifndef PERTO_CHEK_H
#define PERTO_CHEK_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bench side: the neutral interface of every emulator
 * (emulators/common/emu_control.h) and these extras. Emu_Reset takes the
 * check out, forgets the fields and the answers; Emu_Frame lists the
 * commands received (IniComm and EndComm calls included, as "IniComm COM2"
 * and "EndComm"); Emu_Tape the checks printed; Emu_SetPortAvailable(0)
 * makes IniComm fail; Emu_RefuseTransmission(n) makes EnvComm answer 0
 * (the command recorded, not carried out); Emu_SetPaper(2) leaves the
 * printer without ink: "I" answers "005". Settings from the environment
 * under the prefix PERTO (PERTO_TAPE, ...). */
void PertoEmu_InsertCheck(void); /* the operator puts a blank check in */
int PertoEmu_CheckInside(void);
/* The next RecComm writes exactly these `length` bytes (at most the size
 * it is given), followed by a zero only when `terminated`; a faulty
 * library for the register's tests. */
void PertoEmu_NextRawAnswer(const char* bytes, int length, int terminated);

#ifdef __cplusplus
}
#endif

#endif
