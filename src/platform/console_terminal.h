#pragma once
// Terminal backend of the console device: raw mode, alternate screen, a shadow of the 80x25
// cells and a copy of the frame last sent, so that each flush writes only the changed cells in
// one write. Output is UTF-8; input is decoded by TerminalInputDecoder. The terminal is restored
// on every way out: the end handlers, SIGTERM, SIGHUP, crash signals, and around child programs.
#include <string>

// Checks that standard input is a terminal of at least 80x25, takes it over (raw mode, alternate
// screen) and makes the terminal backend the current console device. False with a message for the
// operator in `error` (nothing is touched then).
bool OpenTerminalConsole(std::string& error);

// Gives the terminal back in its normal state; the current device becomes the built-in memory
// device. Safe to call more than once (the end handler calls it too).
void CloseTerminalConsole();
