/* The emulated POS keyboards "Tec44Win.dll" and "Tec65_32.dll": one source
 * built once per model. A model's library exports the names of its model
 * (Tec44.names, Tec65.names) and the common ones (common.names); nothing
 * else of the keyboard. Every call is recorded as "Name(arguments)".
 *
 * The keyboard: a display of 2 lines of 20 columns with a cursor, a
 * magnetic card reader holding the last card swiped, an operator key (a
 * lock of positions 0 to 3), and switches (enabled, open, echo, card, PIN,
 * beep, num and caps lock). Functions answer 1 when done, 0 when the
 * keyboard is not open (display and card functions) or for bad arguments.
 *
 *   int EnableKbd(void), DisableKbd(void)     keys reach the host or not
 *   int OpenTec44(void), OpenTec65(void)      opens the keyboard (its model's)
 *   int CloseTec44(void), CloseTec65(void)
 *   int FormFeed(void)        clears the display, cursor home
 *   int CarRet(void)          cursor to column 1; LineFeed(void) next line
 *   int BackSpace(void)       cursor one back, blanking that column
 *   int DispStr(const char*)  text at the cursor (cut at the line's end)
 *   int DispCh(int)           one character at the cursor
 *   int GoToXY(int col, int line)   1-based
 *   int DispClrLn1(void), DispClrLn2(void)  (Tec44)
 *   int GetMCRBuf(char* buf)  the last card's track (at most 127 bytes and
 *                             a zero); answers its length and clears it
 *   int GetMCRBufnc(char*)    the same without clearing (Tec44)
 *   int GetMCRMsg(char* buf)  "CARTAO LIDO" or "SEM CARTAO"
 *   int ReadOpKey(void)       the operator key's position
 *   int TxKbd(const char*), RxKbd(char* buf, int size)  raw bytes
 *   int BeepKeyOn(int), BeepOn(int), SetCard(int), SetDisp(int),
 *       SetEcho(int), SetOpKey(int), SetPIN(int), NumLock(int),
 *       CapsLock(int), SetNumL(int), SetCapsL(int)      switches
 *   int ProgSpecialChar(int key, const char* text)      (Tec44)
 *   int Reset(void)           switches, display and card back to power-on
 */
#ifndef TEC_KEYBOARD_H
#define TEC_KEYBOARD_H

#ifdef __cplusplus
extern "C" {
#endif

/* Bench side, in both libraries: the neutral interface of every emulator
 * (emulators/common/emu_control.h) and these extras. Emu_Frame lists the
 * calls made ("EnableKbd()", "DispStr(TOTAL)", ...); Emu_Reset is the
 * power-on state with no calls recorded; Emu_PortOpen says whether the
 * keyboard is open; Emu_SetPortAvailable(0) makes the open function fail
 * (answer 0). Settings from the environment under the prefix TEC44 or
 * TEC65. */
const char* TecEmu_Model(void); /* "Tec44" or "Tec65" */
/* The display's two lines, joined by '\n'; answers the full length and
 * copies what fits (zero-terminated) into buf. */
int TecEmu_Display(char* buf, int size);
void TecEmu_SwipeCard(const char* track);
void TecEmu_TurnOpKey(int position);
int TecEmu_IsEnabled(void);

#ifdef __cplusplus
}
#endif

#endif
