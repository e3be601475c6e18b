#pragma once
// Process facilities: environment, current directory, child programs, sleeping, randomness and
// the end of the program.
#include <functional>
#include <string>
#include <vector>

// Value of an environment variable as code page 850 text; empty when it is not set.
std::string EnvironmentValue(const char* name);

// Makes a code page 850 path the current directory; false on failure.
bool ChangeDirectory(const std::string& path);

// Runs a command line (code page 850) and waits for its end without a time limit. No shell is
// involved: the line is split at blanks (double quotes group words), the first word is the program,
// resolved like a path (so "TAVPRINT" finds "tavprint"; a word without a slash is also looked up
// in PATH). The console is suspended around the child. Returns its exit status, or -1 when it
// could not be started.
int RunCommandLine(const std::string& command_line);

// Full path of the executable `name` (native) in one of the PATH directories ("/usr/bin:/bin"
// when PATH is unset), or empty when there is none.
std::string FindInPath(const std::string& name);

// Splits a command line into its words (exposed for tests).
std::vector<std::string> SplitCommandLine(const std::string& command_line);

// The console registers these so that a child program gets the terminal in its normal state and
// the screen is redrawn afterwards.
void SetChildProgramHooks(std::function<void()> suspend, std::function<void()> resume);

void SleepMilliseconds(int milliseconds);

// Uniform random number in [0, 1).
double RandomUniform();

// Handlers run, last registered first, when the program ends through EndProgram or a normal
// return from main (the console restores the terminal this way).
void AddEndHandler(std::function<void()> handler);
void RunEndHandlers();
// Runs the end handlers and ends the process with `exit_code`.
[[noreturn]] void EndProgram(int exit_code);
