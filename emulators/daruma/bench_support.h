// shared candidate: the printer's clock, its paper tape and the atomic
// writing of its memory file, as any emulated printer needs them.
#pragma once
#include <string>

namespace daremu {

struct DateTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Days since 1970-01-01 (civil calendar) and back.
int DayNumber(int year, int month, int day);
DateTime FromDayNumber(int days);
std::string TwoDigits(int n);
// "DDMMYY"
std::string DayText(int days);

class Clock {
 public:
  void Freeze(const DateTime& at) {
    frozen_ = true;
    at_ = at;
  }
  void UseHost(long long offset_seconds) {
    frozen_ = false;
    offset_ = offset_seconds;
  }
  DateTime Now() const;
  int Today() const {
    const DateTime now = Now();
    return DayNumber(now.year, now.month, now.day);
  }

 private:
  bool frozen_ = false;
  DateTime at_;
  long long offset_ = 0;
};

// Everything printed, appended to the tape file and kept since the last new roll.
class Tape {
 public:
  void SetPath(const std::string& path) { path_ = path; }
  bool Print(const std::string& text);
  const std::string& Printed() const { return printed_; }
  void ClearCopy() { printed_.clear(); }
  void NewRoll();

 private:
  std::string path_ = "fs345_tape.txt";
  std::string printed_;
};

// Written beside and renamed over: a crash never leaves half a file.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);
bool ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace daremu
