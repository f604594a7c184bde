// The two status bytes of the MP-20 FI and how the emulated printer uses
// each bit (bit 7 is 128, bit 0 is 1).
//
//   ST1 bit 7  paper out: shown on every status; printing commands refused
//   ST1 bit 6  little paper: shown on every status; nothing refused
//   ST1 bit 5  clock behind the open fiscal day: movement refused
//   ST1 bit 4  the tape could not be written (printer error)
//   ST1 bit 3  frame not ESC "|" ... "|" ESC (syntax error)
//   ST1 bit 2  unknown command code
//   ST1 bit 1  a fiscal coupon is open: shown on every status while it is
//   ST1 bit 0  wrong number of fields
//   ST2 bit 7  a field of the wrong kind: not digits, wrong width, zero
//              quantity or price, text too long, unknown variable or letter
//   ST2 bit 6  busy (printing): shown for the polls asked by HoldBusy
//   ST2 bit 5  fiscal memory fault: state file unreadable or not saved
//   ST2 bit 4  tax code unknown or not programmed
//   ST2 bit 2  cancellation not allowed: nothing to cancel, unknown or
//              already cancelled item
//   ST2 bit 0  command not executed: out of order (no coupon, document
//              already open, closing phase, payments short of the total),
//              Z reduction due, table full, amount beyond what is due
#pragma once

namespace mp20emu {

inline constexpr int kSt1PaperOut = 0x80;
inline constexpr int kSt1PaperLow = 0x40;
inline constexpr int kSt1Clock = 0x20;
inline constexpr int kSt1PrinterError = 0x10;
inline constexpr int kSt1Syntax = 0x08;
inline constexpr int kSt1UnknownCommand = 0x04;
inline constexpr int kSt1CouponOpen = 0x02;
inline constexpr int kSt1FieldCount = 0x01;

inline constexpr int kSt2FieldType = 0x80;
inline constexpr int kSt2Busy = 0x40;
inline constexpr int kSt2Memory = 0x20;
inline constexpr int kSt2RateNotProgrammed = 0x10;
inline constexpr int kSt2CancelNotAllowed = 0x04;
inline constexpr int kSt2NotExecuted = 0x01;

// Bits that make the driver judge a command as failed.
inline constexpr int kSt1Failures = 0xFF & ~(kSt1PaperLow | kSt1CouponOpen);
inline constexpr int kSt2Failures = 0xFF;

inline constexpr int kAck = 6;
inline constexpr int kNak = 21;

}  // namespace mp20emu
