/* The bench's control interface of every emulated device: the same names
 * in every emulator library ("Mp20fi32.dll", and the other makers' to
 * come). Each library is loaded on its own (dlopen with RTLD_LOCAL), so
 * the same names never clash; dlopen of the same file again gives the same
 * instance the driver uses. A maker's extras (identity, tables, its own
 * faults and counters) sit in its own header, e.g. mp20fi_control.h.
 *
 * Settings read from the environment when the library loads, under the
 * library's prefix (MP20FI for "Mp20fi32.dll"):
 *   <PREFIX>_STATE         path of the state file (the device's memory);
 *                          unset or empty: memory only.
 *   <PREFIX>_TAPE          path of the paper tape file (what it prints);
 *                          unset: a file named after the device in the
 *                          current directory ("mp20fi_tape.txt").
 *   <PREFIX>_CLOCK_OFFSET  seconds added to the host clock.
 *   <PREFIX>_FAULT         a command the printer refuses and what it
 *                          answers: COMMAND:STATUS[:COUNT] (env_fault.h).
 * and at every opening of the port:
 *   PKG_QDM_EMU_LOCK_DIR   where ports are locked against other processes;
 *                          unset: $XDG_RUNTIME_DIR/pkg_qdm_emu, else
 *                          /tmp/pkg_qdm_emu-<uid>.
 *
 * Every call is safe at any time, with any argument: a bad one is ignored
 * (or answered -1), never a crash. All calls of a library, the maker's
 * entry points included, run one at a time.
 */
#ifndef EMU_CONTROL_H
#define EMU_CONTROL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Factory-fresh device: default memory and tables, a fiscal day open
 * today with nothing sold, paper ok, port available, no faults, no
 * recorded frames, a new tape roll (the tape file emptied). Keeps the
 * state and tape file paths and the clock; rewrites the state file. */
void Emu_Reset(void);
/* Reloads the state file as a power-on would: the port is closed (and
 * released to other processes), a busy spell ends, no command is in
 * progress. */
void Emu_PowerCycle(void);
/* Where the memory is kept; loaded now when the file exists (an
 * unreadable one is reported by the device as a memory fault and never
 * overwritten until Emu_Reset), made factory-fresh when it does not. An
 * empty path keeps the memory in the process only. */
void Emu_SetStateFile(const char* path);
/* Where printed text is appended; an empty path prints nowhere but the
 * copy Emu_Tape reads. */
void Emu_SetTapeFile(const char* path);

/* The device's clock: fixed at a moment (it does not run), or the host
 * clock plus an offset in seconds. An invalid moment is ignored. */
void Emu_SetClock(int year, int month, int day, int hour, int minute, int second);
void Emu_UseHostClock(long long offset_seconds);
/* The open fiscal day (movement date); year 0: no day open yet. */
void Emu_SetFiscalDay(int year, int month, int day);

/* Faults. A count applies to that many of the next occasions; -1 holds
 * the fault until cleared with 0. */
/* The maker's send call fails (answers its failure code) without the
 * device seeing the command; the frame is still recorded. */
void Emu_RefuseTransmission(int count);
/* The device answers that it is busy printing, to that many of the next
 * status requests (or busy answers, for a device that answers busy per
 * command). */
void Emu_HoldBusy(int count);
/* 0 paper ok, 1 little paper (shown, nothing refused), 2 out (printing
 * commands refused). */
void Emu_SetPaper(int level);
/* 0: the port will not open (the maker's open call fails); 1: it opens. */
void Emu_SetPortAvailable(int available);
/* 1 while the port is open. */
int Emu_PortOpen(void);

/* Traffic: every frame handed to the maker's send call, in order, as
 * received (status polls included), counted from the last clear; at least
 * the last 65536 are held. */
int Emu_FrameCount(void);
/* Copies the bytes of frame `index` (0-based) into buf and a NUL after
 * them, cut to size; answers the frame's full length, or -1 for a bad
 * index or a frame no longer held. buf may be NULL to ask the length. */
int Emu_Frame(int index, char* buf, int size);
/* Forgets the frames (and the device's own traffic counters). */
void Emu_ClearFrames(void);

/* The tape: copies what was printed since the last reset or clear into buf
 * (NUL-terminated, cut to size); answers its full length. */
int Emu_Tape(char* buf, int size);
/* Forgets the copy; the tape file keeps what was printed. */
void Emu_ClearTape(void);

#ifdef __cplusplus
}
#endif

#endif
