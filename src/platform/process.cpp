#include "platform/process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/paths.h"

namespace {

std::function<void()> g_suspend;
std::function<void()> g_resume;
std::vector<std::function<void()>> g_end_handlers;

// The directories of PATH in order ("/usr/bin:/bin" when it is unset; an empty entry is ".").
std::vector<std::string> PathDirectories() {
  const char* path = std::getenv("PATH");
  const std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    list.push_back(end > start ? dirs.substr(start, end - start) : std::string("."));
    start = end + 1;
  }
  return list;
}

// Finds the program of a command line: as a path when it has a directory part, else in PATH
// (matched without regard to case like any other path).
std::string ResolveProgram(const std::string& word) {
  const std::string native = NativePath(word);
  if (native.find('/') != std::string::npos) return native;
  for (const std::string& dir : PathDirectories()) {
    const std::string candidate = NativePath(Utf8ToCp850(dir + "/") + word);
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return native;
}

}  // namespace

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : Utf8ToCp850(value, '?');
}

bool ChangeDirectory(const std::string& path) { return chdir(NativePath(path).c_str()) == 0; }

std::string FindInPath(const std::string& name) {
  for (const std::string& dir : PathDirectories()) {
    const std::string candidate = dir + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : command_line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (c == ' ' && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

int RunCommandLine(const std::string& command_line) {
  const std::vector<std::string> words = SplitCommandLine(command_line);
  if (words.empty()) return -1;
  const std::string program = ResolveProgram(words[0]);
  std::vector<std::string> args;
  args.push_back(program);
  for (std::size_t i = 1; i < words.size(); ++i) args.push_back(Cp850ToUtf8(words[i]));
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  if (g_suspend) g_suspend();
  int status = -1;
  const pid_t pid = fork();
  if (pid == 0) {
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid > 0) {
    int raw = 0;
    pid_t r;
    do {
      r = waitpid(pid, &raw, 0);
    } while (r < 0 && errno == EINTR);
    if (r == pid) {
      if (WIFEXITED(raw))
        status = WEXITSTATUS(raw) == 127 ? -1 : WEXITSTATUS(raw);
      else
        status = 128 + WTERMSIG(raw);
    }
  }
  if (g_resume) g_resume();
  return status;
}

void SetChildProgramHooks(std::function<void()> suspend, std::function<void()> resume) {
  g_suspend = std::move(suspend);
  g_resume = std::move(resume);
}

void SleepMilliseconds(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

double RandomUniform() {
  static std::mt19937_64 engine{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

void AddEndHandler(std::function<void()> handler) { g_end_handlers.push_back(std::move(handler)); }

void RunEndHandlers() {
  while (!g_end_handlers.empty()) {
    auto handler = std::move(g_end_handlers.back());
    g_end_handlers.pop_back();
    handler();
  }
}

void EndProgram(int exit_code) {
  RunEndHandlers();
  std::exit(exit_code);
}
