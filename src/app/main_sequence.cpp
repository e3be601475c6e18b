#include "app/main_sequence.h"

#include "config/session.h"
#include "platform/process.h"

int RunMainSequence() {
  SetUpSession();
  if (!SessionSettings.RootDirectory.empty())
    ChangeDirectory(SessionSettings.RootDirectory);  // a failure is ignored
  ModuleName = "BANKLIST";
  RunEndHandlers();
  return 0;
}
