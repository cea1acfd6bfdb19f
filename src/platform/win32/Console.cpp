#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>

#include "platform/win32/Text.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace sifta::platform {

namespace {

std::atomic<bool> interrupted{false};

// Runs on a thread of its own. The first Ctrl-C is taken; the next one is
// left to the default handler, which ends the program.
BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (interrupted.exchange(true)) return FALSE;
  return TRUE;
}

}  // namespace

// Files are opened as handles, never as descriptors of the C runtime, so no
// file can take the place of a standard stream that is missing.
void OpenStandardDescriptors() {}

void PrepareStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) {
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
  }
  for (int i = 1; i < count; ++i) arguments.push_back(win32::Utf8FromWide(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool IsTerminal(std::FILE* stream) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  return SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void StartInterruptWatch() {
  interrupted = false;
  SetConsoleCtrlHandler(OnControl, TRUE);
}

void StopInterruptWatch() { SetConsoleCtrlHandler(OnControl, FALSE); }

bool InterruptRequested() { return interrupted; }

}  // namespace sifta::platform
