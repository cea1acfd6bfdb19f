// sifta-batch CONDITIONS.json
//
// Runs one extraction without windows, as the main window would: the layout
// of the chosen source file is read first (the conditions file answers the
// heading question), then the conditions are checked, then the run goes
// through the source file or the file series (the conditions file gives the
// @ dialog's entries in order; when they run out the dialog counts as closed).
//
// Standard output: the record count list (UTF-8). Standard error: the
// messages (UTF-8), and a progress line while standard error is a terminal.
// Ctrl-C acts as the progress window's cancel button.
//
// Exit status: 0 after a run; 1 on a refusal (the conditions, the heading
// question cancelled, a source without data, a refused @ entry, an extract
// file that is a source file or is being written by another run); 2 on an
// input/output error, also of the conditions file or of the record count
// list; 64 on a wrong command line or a malformed conditions file; 130 after
// a cancel. Relative file names are taken from the current folder.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "TerminalWindows.h"
#include "conditions/BatchRequest.h"
#include "inspect/FileLayout.h"
#include "inspect/TextFile.h"
#include "platform/Console.h"
#include "platform/Files.h"
#include "run/FileSeries.h"
#include "run/RunMessages.h"
#include "scan/Cp932.h"

namespace {

using namespace sifta;
using namespace sifta::batch;

enum ExitStatus { kDone = 0, kRefused = 1, kIoError = 2, kUsage = 64, kCancelled = 130 };

void Say(const std::string& cp932) { std::fprintf(stderr, "%s\n", TerminalText(cp932).c_str()); }

int Usage() {
  std::fputs("usage: sifta-batch [--workers=N] CONDITIONS.json\n", stderr);
  return kUsage;
}

int Run(const std::string& argument, const RunOptions& options) {
  auto loaded = LoadConditionsFile(platform::PathFromUtf8(argument));
  if (const auto* error = std::get_if<IoError>(&loaded)) {
    Say(error->message);
    return kIoError;
  }
  if (const auto* fault = std::get_if<RequestFault>(&loaded)) {
    std::fprintf(stderr, "sifta-batch: %s: %s\n", argument.c_str(), fault->what.c_str());
    return kUsage;
  }
  BatchRequest& request = std::get<BatchRequest>(loaded);

  // The source choice: a file named with @ cannot be chosen.
  FileLayout layout;
  if (request.layoutChosen) {
    if (request.layoutPath.find('@') != std::string::npos) {
      Say(PlaceholderInChosenFileMessage());
      return kRefused;
    }
    LayoutResult result = ReadFileLayout(platform::PathFromUtf8(request.layoutPath),
                                         [&request] { return request.headingAnswer; });
    if (const std::optional<LayoutRefusal> refusal = LayoutRefusalOf(result)) {
      Say(refusal->message);
      return refusal->ioError ? kIoError : kRefused;
    }
    layout = std::get<FileLayout>(result);
  }

  TerminalWindows windows(std::move(request.series), stdout, stderr);
  RunRecord record;
  int status = kRefused;
  switch (RunExtraction(request.conditions, layout, windows, record, options)) {
    case RunOutcome::Finished:
      status = kDone;
      break;
    case RunOutcome::Refused:
    case RunOutcome::Abandoned:
      status = kRefused;
      break;
    case RunOutcome::Failed:
      status = windows.IoErrorShown() ? kIoError : kRefused;
      break;
  }
  if (status == kDone && record.cancelled) {
    Say(CancelledRunMessage(Utf8ToCp932ForDisplay(record.cancelledExtractFile)));
    status = kCancelled;
  }
  // The record count list is the run's report: a run whose list is lost
  // has not done its job.
  if (const int error = windows.ListError()) {
    Say(DescribeIoError(error, {}).message + "\r\n" + ListNotWrittenMessage());
    if (status == kDone) status = kIoError;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any file is opened: a message for a closed standard error must
  // not end up in the extract.
  platform::OpenStandardDescriptors();
  platform::PrepareStandardStreams();
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  std::vector<std::string_view> rest(arguments.begin(), arguments.end());
  RunOptions options;
  // --workers=N: the threads that cut records besides the reading one (for
  // measurements; the default is one per hardware thread). A run starts no
  // more than its most, however many are asked for.
  constexpr std::string_view kWorkers = "--workers=";
  if (!rest.empty() && rest[0].substr(0, kWorkers.size()) == kWorkers) {
    const std::string_view number = rest[0].substr(kWorkers.size());
    unsigned workers = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), workers);
    if (number.empty() || error != std::errc{} || end != number.data() + number.size()) return Usage();
    options.cutWorkers = workers;
    rest.erase(rest.begin());
  }
  if (rest.size() != 1 || rest[0].empty()) return Usage();
  if (rest[0] == "-h" || rest[0] == "--help") return Usage();
  // A write beyond the file size limit, or into a closed pipe, fails as a
  // write error does, so that the extract is finished and named.
  platform::IgnoreFileSizeSignal();
  platform::IgnoreBrokenPipeSignal();
  return Run(std::string(rest[0]), options);
}
