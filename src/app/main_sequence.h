#pragma once
// The program's main sequence: session set-up, the print dialogue and the print run.

// Runs the whole program and returns its exit code (0 on every ordinary end).
int RunMainSequence();
