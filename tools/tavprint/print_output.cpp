#include "print_output.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Writes all of `text` to `fd`; false on an error (a reader that went away included).
bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// True when `program` is an executable file in one of the PATH directories.
bool InPath(const std::string& program) { return !FindInPath(program).empty(); }

// Runs `argv` with `text` on its standard input and waits for it. Returns -1 when it could not be
// started (127 from the child means the program was not found), otherwise its exit status.
int RunWithInput(const std::vector<std::string>& argv, const std::string& text, bool& write_ok) {
  int pipe_fds[2];
  write_ok = false;
  if (pipe(pipe_fds) != 0) return -1;
  const pid_t child = fork();
  if (child < 0) {
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    return -1;
  }
  if (child == 0) {
    dup2(pipe_fds[0], STDIN_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipe_fds[0]);
  // A pager that quits before reading everything must not end this program.
  void (*previous)(int) = std::signal(SIGPIPE, SIG_IGN);
  write_ok = WriteAll(pipe_fds[1], text);
  close(pipe_fds[1]);
  std::signal(SIGPIPE, previous);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace

DeviceKind KindOfDevice(const std::string& device) {
  const std::string name = Trimmed(device);
  if (name.empty()) return DeviceKind::Screen;
  if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
    return DeviceKind::File;
  return DeviceKind::Printer;
}

std::string SendToScreen(const std::string& text) {
  if (isatty(STDOUT_FILENO) && InPath("less")) {
    bool written = false;
    const int status = RunWithInput({"less", "-S"}, text, written);
    if (status != -1 && status != 127) return "";  // the pager showed it
  }
  return WriteAll(STDOUT_FILENO, text) ? "" : "cannot write to the standard output";
}

std::string SendToFile(const std::string& device, const std::string& text) {
  const std::string path = NativePath(Trimmed(device));
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return "cannot create " + path + ": " + std::strerror(errno);
  const bool written = WriteAll(fd, text);
  const bool closed = close(fd) == 0;
  if (!written || !closed) return "cannot write " + path + ": " + std::strerror(errno);
  return "";
}

std::string SendToPrinter(const std::string& device, const std::string& text) {
  const std::string printer = Cp850ToUtf8(Trimmed(device));
  if (!InPath("lp")) return "the printer " + printer + " needs lp, which is not installed";
  bool written = false;
  const int status = RunWithInput({"lp", "-s", "-d", printer}, text, written);
  if (status < 0) return "lp could not be started";
  if (status != 0) return "lp -d " + printer + " ended with status " + std::to_string(status);
  if (!written) return "lp -d " + printer + " did not take the whole print";
  return "";
}
