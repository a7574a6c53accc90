// The far end of a COM port for Windows programs under Wine: makes a
// pseudo-terminal, links it as LINK (a Wine prefix's dosdevices/comN), and
// sends every byte it receives straight back.
//
//   quelt_echo_peer LINK                 echo until stopped; prints the pty
//   quelt_echo_peer LINK COMMAND ARGS... echo while COMMAND runs; exits with
//                                        COMMAND's status and removes LINK
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

volatile std::sig_atomic_t stop = 0;

void OnSignal(int) { stop = 1; }

int Fail(const char* what) {
  std::fprintf(stderr, "quelt_echo_peer: %s: %s\n", what, std::strerror(errno));
  return 125;
}

// Echoes whatever waits on the master; false once the line is gone.
bool EchoOnce(int master, int timeoutMs) {
  pollfd p{master, POLLIN, 0};
  const int r = ::poll(&p, 1, timeoutMs);
  if (r < 0) return errno == EINTR;
  if (r == 0) return true;
  char buffer[512];
  const ssize_t n = ::read(master, buffer, sizeof buffer);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  for (ssize_t done = 0; done < n;) {
    const ssize_t w = ::write(master, buffer + done, static_cast<std::size_t>(n - done));
    if (w < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    done += w;
  }
  return true;
}

// Copies what waits in `from` to our standard output.
void Relay(int from) {
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(from, buffer, sizeof buffer)) > 0) {
    std::fwrite(buffer, 1, static_cast<std::size_t>(n), stdout);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quelt_echo_peer LINK [COMMAND ARGS...]\n");
    return 125;
  }
  const std::string link = argv[1];

  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return Fail("posix_openpt");
  const std::string slavePath = ::ptsname(master);
  // Keeping a slave open means the line never hangs up while the Windows
  // program opens and closes its side; raw so nothing is echoed or
  // translated before the program configures the line.
  const int keep = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (keep < 0) return Fail("open slave");
  termios t{};
  ::tcgetattr(keep, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(keep, TCSANOW, &t);

  if (::unlink(link.c_str()) != 0 && errno != ENOENT) return Fail("unlink");
  if (::symlink(slavePath.c_str(), link.c_str()) != 0) return Fail("symlink");

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  if (argc == 2) {
    std::printf("%s\n", slavePath.c_str());
    std::fflush(stdout);
    while (!stop && EchoOnce(master, 200)) {
    }
    ::unlink(link.c_str());
    return 0;
  }

  // COMMAND's output reaches ours through a pipe that we stop reading once
  // COMMAND has ended: Wine's server and services, which it may start and
  // which live on, would otherwise keep the caller waiting for our output
  // to close.
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return Fail("pipe");
  const pid_t child = ::fork();
  if (child < 0) return Fail("fork");
  if (child == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::dup2(out[1], STDERR_FILENO);
    ::execvp(argv[2], argv + 2);
    std::fprintf(stderr, "quelt_echo_peer: cannot run %s: %s\n", argv[2], std::strerror(errno));
    ::_exit(127);
  }
  ::close(out[1]);
  ::fcntl(out[0], F_SETFL, O_NONBLOCK);
  int status = 0;
  bool ended = false;
  while (!ended) {
    ended = ::waitpid(child, &status, WNOHANG) == child;
    if (stop && !ended) ::kill(child, SIGTERM);
    if (!EchoOnce(master, 20)) ::usleep(20000);
    Relay(out[0]);  // after the exit too: what it wrote last
  }
  ::unlink(link.c_str());
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
