#include "app/main_sequence.h"

#include "app/remittance_numbers.h"
#include "config/company.h"
#include "config/session.h"
#include "platform/process.h"

int RunMainSequence() {
  LoadCompanyDetails();  // then sets up the session
  if (!SessionSettings.RootDirectory.empty())
    ChangeDirectory(SessionSettings.RootDirectory);  // a failure is ignored
  ModuleName = "BANKLIST";
  LongRemittanceNumbers = CompanyField(7).compare(0, 17, "ESQ12345678      ") == 0;
  RunEndHandlers();
  return 0;
}
