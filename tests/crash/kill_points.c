/* Kill points for the crash-consistency run, preloaded (LD_PRELOAD) into the
 * register and, through the environment it inherits, into the TEF manager
 * the register starts. Every file save of the till passes here:
 *
 *   mid-write <file>     the first write of a save's work file (the
 *                        ".<name>.<pid>.<n>.tmp" beside its place): half
 *                        the bytes are written, then the power fails;
 *   before rename <file> the work file is whole and flushed, not yet in
 *                        place;
 *   after rename <file>  the new file is in place (after each printer
 *                        command: its state file; after each TEF file; an
 *                        archived answer; the ledger; a data packet);
 *   mid-append <file>    half the bytes added to the TEF manager's journal
 *                        (a line) or to the archive of the TEF ledger (the
 *                        settled history it moves);
 *   after append <file>  all of them added.
 *
 * The events of all processes are numbered in one sequence, kept in the
 * file QDM_KILL_COUNTER (under a lock). At event number QDM_KILL_AT the
 * process appends "N<TAB>event" to QDM_KILL_TRACE and kills its whole
 * process group with SIGKILL: the register, its manager, everything the
 * power cut would take. With QDM_KILL_AT=0 every event is only traced.
 *
 * A full disk instead of a power cut: with QDM_FULL_DISK set to a file's
 * name ("qdm_tef.ldg"), every save of that file fails as on a full disk:
 * the first write of its work file writes nothing and answers ENOSPC. Such
 * a write is no event.
 *
 * Plain C without sanitizers: it must stand first in the library list. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

static __thread int inside; /* our own file work is not an event */

static ssize_t (*real_write)(int, const void*, size_t);
static int (*real_rename)(const char*, const char*);

static void bind_real(void) {
  if (!real_write) real_write = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
  if (!real_rename) real_rename = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
}

static void write_all(int fd, const char* text, size_t size) {
  while (size > 0) {
    ssize_t n = real_write(fd, text, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text += n;
    size -= (size_t)n;
  }
}

/* "dir/name" of a path: enough to tell "req/intpos.001" from
 * "resp/intpos.001". */
static void short_name(const char* path, char* out, size_t size) {
  const char* last = strrchr(path, '/');
  const char* start = path;
  if (last && last > path) {
    const char* before = last - 1;
    while (before > path && *before != '/') --before;
    start = (*before == '/') ? before + 1 : before;
  }
  snprintf(out, size, "%s", start);
}

/* The target a work file ".<name>.<pid>.<n>.tmp" stands for, or 0. */
static int work_file_target(const char* path, char* out, size_t size) {
  const char* base = strrchr(path, '/');
  base = base ? base + 1 : path;
  size_t length = strlen(base);
  if (base[0] != '.' || length < 6 || strcmp(base + length - 4, ".tmp") != 0) return 0;
  /* Drop ".<pid>.<n>.tmp": the last three dots. */
  char name[PATH_MAX];
  snprintf(name, sizeof name, "%.*s", (int)(length - 1), base + 1);
  for (int dots = 0; dots < 3; ++dots) {
    char* dot = strrchr(name, '.');
    if (!dot) return 0;
    *dot = 0;
  }
  char full[PATH_MAX];
  snprintf(full, sizeof full, "%.*s%s", (int)(base - path), path, name);
  short_name(full, out, size);
  return 1;
}

/* Files that grow by appends: the TEF manager's journal, the month's
 * archive of the TEF ledger ("qdm_tef_202612.ldg") and the device
 * service's journal of sales ("*.jrn"). */
static int appended_file(const char* base) {
  const size_t length = strlen(base);
  if (strcmp(base, "journal.txt") == 0) return 1;
  if (length > 4 && strcmp(base + length - 4, ".jrn") == 0) return 1;
  return strncmp(base, "qdm_tef_", 8) == 0 && length > 12 && strcmp(base + length - 4, ".ldg") == 0;
}

/* Numbers the event; true when the power must fail now. */
static int event(const char* what, const char* file) {
  const char* counter = getenv("QDM_KILL_COUNTER");
  const char* at_text = getenv("QDM_KILL_AT");
  if (!counter || !at_text) return 0;
  const long at = strtol(at_text, NULL, 10);
  inside = 1;
  long number = 0;
  int fd = open(counter, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0 && flock(fd, LOCK_EX) == 0) {
    char text[32] = {0};
    if (pread(fd, text, sizeof text - 1, 0) > 0) number = strtol(text, NULL, 10);
    ++number;
    snprintf(text, sizeof text, "%020ld\n", number);
    if (pwrite(fd, text, strlen(text), 0) < 0) number = -1;
  }
  if (fd >= 0) close(fd); /* releases the lock */
  const int fire = number > 0 && number == at;
  const char* trace = getenv("QDM_KILL_TRACE");
  if (trace && number > 0 && (at == 0 || fire)) {
    int out = open(trace, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (out >= 0) {
      char line[PATH_MAX + 64];
      int n = snprintf(line, sizeof line, "%ld\t%s %s\n", number, what, file);
      write_all(out, line, (size_t)n);
      close(out);
    }
  }
  inside = 0;
  return fire;
}

/* True when saves of this file ("dir/name") fail as on a full disk. */
static int disk_full_for(const char* name) {
  const char* full = getenv("QDM_FULL_DISK");
  if (!full || !*full) return 0;
  const char* base = strrchr(name, '/');
  return strcmp(base ? base + 1 : name, full) == 0;
}

static void power_fails(void) {
  kill(0, SIGKILL);
  raise(SIGKILL);
  _exit(137);
}

ssize_t write(int fd, const void* buffer, size_t size) {
  bind_real();
  if (inside || size < 2) return real_write(fd, buffer, size);
  char link[64], path[PATH_MAX], name[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  inside = 1;
  ssize_t length = readlink(link, path, sizeof path - 1);
  inside = 0;
  if (length <= 0) return real_write(fd, buffer, size);
  path[length] = 0;
  if (work_file_target(path, name, sizeof name)) {
    if (lseek(fd, 0, SEEK_CUR) == 0 && disk_full_for(name)) {
      errno = ENOSPC;
      return -1;
    }
    if (lseek(fd, 0, SEEK_CUR) == 0 && event("mid-write", name)) {
      write_all(fd, (const char*)buffer, size / 2);
      power_fails();
    }
    return real_write(fd, buffer, size);
  }
  const char* base = strrchr(path, '/');
  if (base && appended_file(base + 1)) {
    short_name(path, name, sizeof name);
    if (event("mid-append", name)) {
      write_all(fd, (const char*)buffer, size / 2);
      power_fails();
    }
    ssize_t written = real_write(fd, buffer, size);
    if (event("after append", name)) power_fails();
    return written;
  }
  return real_write(fd, buffer, size);
}

int rename(const char* from, const char* to) {
  bind_real();
  if (inside) return real_rename(from, to);
  char name[PATH_MAX];
  short_name(to, name, sizeof name);
  if (event("before rename", name)) power_fails();
  int result = real_rename(from, to);
  int saved = errno;
  if (event("after rename", name)) power_fails();
  errno = saved;
  return result;
}
