#pragma once
// The print run of the remittance table: the whole remittance file, in the order of its key 0,
// written as a print file and handed to the print program.

// The number under which the remittance file is open; every read addresses it by this number.
inline constexpr short RemittanceFileNumber = 502;

// The record loop: PageNumber back to 0, then every record of the remittance file along key 0
// from the first, one detail line each. The first non-zero status ends it (end of file is the
// ordinary end); no message is shown. Returns that status.
short PrintRemittanceRecords();

// After the operator's yes: creates the print file for the session's output device, runs the
// record loop, closes the file, then starts ProgramDirectory + "TAVPRINT" and waits for it (its
// exit status is not examined). Failures to write or to start are not reported.
void RunRemittancePrint();
