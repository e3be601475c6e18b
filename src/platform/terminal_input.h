#pragma once
// Decoder of terminal input: bytes from xterm, VT220-style terminals (tmux, PuTTY) and the Linux
// console in, console key and mouse events out. A pure state machine: feed it bytes as they are
// read and call Timeout() when no byte came for a short while (that is what tells a lone Esc from
// the start of a sequence). Unknown, malformed or truncated sequences are dropped whole; they
// never come out as stray characters.
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "platform/console_device.h"

struct DecodedInput {
  ConsoleEvent Event;
  bool IsPaste = false;    // a bracketed paste: `Text` holds it (code page 850, control bytes
  std::string Text;        // other than tab and line ends removed)
};

class TerminalInputDecoder {
 public:
  void Feed(std::string_view bytes);
  // No input came for the timeout: a pending lone Esc becomes the Esc key, a truncated sequence
  // is dropped. A paste in progress waits for several timeouts before it is delivered as it is.
  void Timeout();
  // True while bytes wait for more input or for Timeout().
  bool Pending() const { return !buffer_.empty() || in_paste_ || discarding_; }
  bool Next(DecodedInput& out);
  bool HasOutput() const { return !output_.empty(); }
  // Mouse reports are decoded only while on; otherwise they are consumed and dropped.
  void SetMouseReporting(bool on) { mouse_on_ = on; }
  void Reset();

 private:
  // Parses one item from the start of the buffer; returns the bytes consumed, 0 when more bytes
  // are needed (at_timeout forces a decision).
  std::size_t ParseOne(bool at_timeout);
  std::size_t ParseCsi(std::size_t start, unsigned short extra, bool at_timeout);
  std::size_t ParseSs3(std::size_t start, unsigned short extra, bool at_timeout);
  void EmitKey(unsigned char character, unsigned char scan, unsigned short state);
  void EmitMouse(int code, int column, int row, bool press);
  void PasteBytes();

  std::string buffer_;
  std::deque<DecodedInput> output_;
  bool mouse_on_ = false;
  bool in_paste_ = false;
  std::string paste_;
  int paste_timeouts_ = 0;
  bool discarding_ = false;  // inside an over-long sequence, dropping up to its final byte
};
