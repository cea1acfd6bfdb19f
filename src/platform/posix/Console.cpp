#include "platform/Console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <csignal>

namespace sifta::platform {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
  interrupted = 1;
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

void OpenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is the one missing.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
}

void PrepareStandardStreams() {}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

void StartInterruptWatch() {
  interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
}

void StopInterruptWatch() { std::signal(SIGINT, SIG_DFL); }

bool InterruptRequested() { return interrupted != 0; }

}  // namespace sifta::platform
