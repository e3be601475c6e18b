#include "app/print_run.h"

#include <string>

#include "app/remittance_report.h"
#include "config/session.h"
#include "data/record_operations.h"
#include "platform/process.h"
#include "print/print_file.h"

short PrintRemittanceRecords() {
  PageNumber = 0;
  short status = 0;
  // An empty value, completed with zero bytes, and a positive direction: the first record.
  ReadByKey(RemittanceFileNumber, 0, "", 1, status);
  while (status == 0) {
    PrintRemittanceLine();
    StepRecords(RemittanceFileNumber, 1, status);
  }
  return status;
}

void RunRemittancePrint() {
  OpenPrintFile(SessionSettings.OutputDevice);
  PrintRemittanceRecords();
  ClosePrintFile();  // closed before the print program reads it
  // Quoted when the directory holds a blank, so that the command line keeps it in one word.
  const std::string program = SessionSettings.ProgramDirectory + "TAVPRINT";
  RunCommandLine(program.find(' ') == std::string::npos ? program : "\"" + program + "\"");
}
