#include "app/main_sequence.h"

#include <cstdio>
#include <string>

#include "app/print_run.h"
#include "app/remittance_numbers.h"
#include "app/remittance_report.h"
#include "config/company.h"
#include "config/session.h"
#include "data/data_files.h"
#include "forms/form_definition.h"
#include "forms/form_driver.h"
#include "platform/console_device.h"
#include "platform/console_terminal.h"
#include "platform/process.h"

int RunMainSequence() {
  // The whole dialogue needs an 80x25 terminal; say so before anything is drawn.
  std::string error;
  if (!OpenTerminalConsole(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  CurrentConsole().SetCursorVisible(false);

  LoadCompanyDetails();  // then sets up the session
  if (!SessionSettings.RootDirectory.empty())
    ChangeDirectory(SessionSettings.RootDirectory);  // a failure is ignored
  ModuleName = "BANKLIST";
  LongRemittanceNumbers = CompanyField(7).compare(0, 17, "ESQ12345678      ") == 0;

  LoadFormDefinition();

  short status = 0;
  // On failure the data layer shows its message and ends the program itself.
  OpenDataFile(RemittanceFileNumber, SessionSettings.RootDirectory + "DADES\\TRemeses",
               RemittanceRecordArea, status);

  if (RunPrintDialogue() == "S") RunRemittancePrint();

  CloseAllDataFiles(status);
  RunEndHandlers();
  return 0;
}
