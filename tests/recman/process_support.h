// Child processes for the multi-process tests: a one-byte signal pipe and a forked body that ends
// with _exit, so the child never runs the parent's test machinery or destructors.
#ifndef TESTS_RECMAN_PROCESS_SUPPORT_H
#define TESTS_RECMAN_PROCESS_SUPPORT_H

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace recman_test {

class Signal {
 public:
  Signal() {
    if (::pipe(fd_) != 0) fd_[0] = fd_[1] = -1;
  }
  ~Signal() {
    CloseRead();
    CloseWrite();
  }
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;
  void Send(char c) {
    while (::write(fd_[1], &c, 1) < 0 && errno == EINTR) {
    }
  }
  void SendBytes(const void* p, std::size_t n) {
    while (::write(fd_[1], p, n) < 0 && errno == EINTR) {
    }
  }
  // The next byte, or 0 at end of file.
  char Receive() {
    char c = 0;
    ssize_t n;
    while ((n = ::read(fd_[0], &c, 1)) < 0 && errno == EINTR) {
    }
    return n == 1 ? c : 0;
  }
  int read_fd() const { return fd_[0]; }
  void CloseRead() {
    if (fd_[0] >= 0) ::close(fd_[0]);
    fd_[0] = -1;
  }
  void CloseWrite() {
    if (fd_[1] >= 0) ::close(fd_[1]);
    fd_[1] = -1;
  }

 private:
  int fd_[2];
};

// Runs `body` in a child process; its result is the child's exit code.
inline pid_t Spawn(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

// Waits for the child; its exit code, or 128 + signal number.
inline int Reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace recman_test

#endif
