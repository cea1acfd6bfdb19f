// The terminal of a program without windows: its command line, its standard
// streams, and Ctrl-C.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace sifta::platform {

// Opens the null device as each of standard input, output and error that
// the program was started without, before the program opens any file: a file
// opened later would otherwise take that place, and a message meant for
// standard error would be written into it.
void OpenStandardDescriptors();

// Makes standard output and standard error write bytes as given (no LF to
// CR LF on Windows) and UTF-8 text show as such on a console.
void PrepareStandardStreams();

// The command line's arguments after the program name, in UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Whether `stream` is a terminal that understands the escape that clears the
// rest of a line.
bool IsTerminal(std::FILE* stream);

// From StartInterruptWatch to StopInterruptWatch the first Ctrl-C only sets
// InterruptRequested; the next one ends the program as usual.
void StartInterruptWatch();
void StopInterruptWatch();
bool InterruptRequested();

}  // namespace sifta::platform
