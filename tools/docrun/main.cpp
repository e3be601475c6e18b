// docrun DOCUMENT: opens an HTML help page for the operator. The document is named as the suite
// names it (relative to the current directory, backslashes, any case). In this order:
//   - every command of $BROWSER (separated by ":"; "%s" stands for the page, otherwise the page
//     is appended) until one succeeds;
//   - xdg-open, when a graphical session is there (DISPLAY or WAYLAND_DISPLAY);
//   - a text browser in the terminal: w3m, lynx, elinks or links;
//   - otherwise it says where the page is and waits for Enter.
// Exit status: 0 when the page was shown or named, 1 when it does not exist, 2 for a wrong call.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace {

constexpr const char* kUsage = "usage: docrun DOCUMENT\n";

// Runs a program with its arguments (looked up in PATH) and waits; its exit status, or -1 when
// it could not be started.
int Run(const std::vector<std::string>& words) {
  std::vector<char*> argv;
  std::vector<std::string> copy = words;
  for (std::string& w : copy) argv.push_back(w.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (!WIFEXITED(status)) return -1;
  return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
}

bool InPath(const std::string& program) { return !FindInPath(program).empty(); }

// One $BROWSER entry through the shell, with the page as its first argument.
int RunBrowserEntry(const std::string& entry, const std::string& page) {
  std::string script = entry;
  const std::size_t mark = script.find("%s");
  if (mark != std::string::npos)
    script.replace(mark, 2, "\"$1\"");
  else
    script += " \"$1\"";
  return Run({"/bin/sh", "-c", script, "docrun", page});
}

void WaitForEnter() {
  if (!isatty(STDIN_FILENO)) return;
  std::cerr << "Press Enter to continue." << std::flush;
  std::string line;
  std::getline(std::cin, line);
}

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << kUsage;
    return 2;
  }
  std::string page = NativePath(Utf8ToCp850(argv[1], '?'));
  if (access(page.c_str(), R_OK) != 0) {
    std::cerr << "docrun: the help page " << page << " does not exist.\n";
    WaitForEnter();
    return 1;
  }
  if (page[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr) page = std::string(cwd) + "/" + page;
  }

  if (Set("BROWSER")) {
    const std::string browsers = std::getenv("BROWSER");
    std::size_t start = 0;
    while (start <= browsers.size()) {
      std::size_t end = browsers.find(':', start);
      if (end == std::string::npos) end = browsers.size();
      const std::string entry = browsers.substr(start, end - start);
      if (!entry.empty() && RunBrowserEntry(entry, page) == 0) return 0;
      start = end + 1;
    }
  }
  if ((Set("DISPLAY") || Set("WAYLAND_DISPLAY")) && InPath("xdg-open") &&
      Run({"xdg-open", page}) == 0)
    return 0;
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    for (const char* browser : {"w3m", "lynx", "elinks", "links"}) {
      if (InPath(browser) && Run({browser, page}) >= 0) return 0;
    }
  }
  std::cerr << "Help page: " << page << "\n";
  WaitForEnter();
  return 0;
}
