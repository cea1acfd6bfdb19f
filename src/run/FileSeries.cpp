#include "run/FileSeries.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "inspect/TextFile.h"
#include "platform/Files.h"
#include "run/ExtractFile.h"
#include "run/ExtractionPlan.h"
#include "run/RecordSelection.h"
#include "run/RunMessages.h"
#include "scan/Cp932.h"
#include "scan/NumberText.h"
#include "scan/PathFolders.h"
#include "scan/Scanning.h"

namespace sifta {

namespace {

namespace fs = std::filesystem;

// Widest numeric range the stepping handles (the dialog refuses longer entries).
constexpr size_t kWidestRange = 8;

// A file name as the windows show it (code page 932).
std::string Shown(const fs::path& path) { return Utf8ToCp932ForDisplay(platform::PathToUtf8(path)); }

// Where a path leads: its absolute, normalised form with the symbolic links of
// its existing part resolved, and the file on disk when there is one.
struct FileIdentity {
  fs::path normalised;
  std::optional<platform::FileIdentity> file;
};

FileIdentity IdentityOf(const fs::path& path) {
  FileIdentity identity;
  std::error_code error;
  fs::path absolute = fs::absolute(path, error);
  if (error) absolute = path;
  identity.normalised = fs::weakly_canonical(absolute, error);
  if (error) identity.normalised = absolute.lexically_normal();
  identity.file = platform::IdentityOf(path);
  return identity;
}

// IdentityOf for the many names of a run, most of them in a few folders: the
// folder of the last name is resolved once, so a name costs a look at the file
// itself instead of a walk along every folder of its path. The folders are
// taken as they were when first met; the file is looked at every time.
class IdentityResolver {
 public:
  FileIdentity Of(const fs::path& path) {
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    const fs::path name = absolute.filename();
    // A link as the last component, or a name that moves up or stays, is
    // resolved the long way.
    if (error || name.empty() || name == "." || name == "..") return IdentityOf(path);
    const fs::file_status status = fs::symlink_status(absolute, error);
    if (fs::is_symlink(status) || (error && status.type() != fs::file_type::not_found))
      return IdentityOf(path);
    const fs::path folder = absolute.parent_path();
    if (folder != folder_ || canonicalFolder_.empty()) {
      fs::path canonical = fs::canonical(folder, error);
      if (error) return IdentityOf(path);  // a missing folder: not kept
      folder_ = folder;
      canonicalFolder_ = std::move(canonical);
    }
    FileIdentity identity;
    identity.normalised = canonicalFolder_ / name;
    identity.file = platform::IdentityOf(path);
    return identity;
  }

 private:
  fs::path folder_;           // absolute, as spelled
  fs::path canonicalFolder_;  // its canonical form; empty until one is resolved
};

// Two files on disk are the same by their identity alone, whatever the
// spelling of their names (another case, a short name, a hard link); a name
// without a file is the same as another by its normalised form.
bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
  if (a.file && b.file) return *a.file == *b.file;
  return a.normalised == b.normalised;
}

// The files a run reads, looked up in constant time however many there are:
// a name is in the set when SameIdentity holds for it and one of the files added.
class SourceSet {
 public:
  void Add(const FileIdentity& identity) {
    if (identity.file) {
      files_.insert(*identity.file);
      namesWithFile_.insert(identity.normalised);
    } else {
      namesWithoutFile_.insert(identity.normalised);
    }
  }

  bool Contains(const FileIdentity& identity) const {
    // A file on disk matches by its identity, or a name added without a file.
    if (namesWithoutFile_.count(identity.normalised) > 0) return true;
    if (identity.file) return files_.count(*identity.file) > 0;
    return namesWithFile_.count(identity.normalised) > 0;
  }

 private:
  struct IdentityHash {
    std::size_t operator()(const platform::FileIdentity& id) const {
      return std::hash<std::uint64_t>{}(id.index ^ (id.volume * 0x9E3779B97F4A7C15ull));
    }
  };
  struct PathHash {
    std::size_t operator()(const fs::path& path) const { return fs::hash_value(path); }
  };

  std::unordered_set<platform::FileIdentity, IdentityHash> files_;
  std::unordered_set<fs::path, PathHash> namesWithFile_;
  std::unordered_set<fs::path, PathHash> namesWithoutFile_;
};

// The name of part `number` of the extract `name`: "_001" (three digits at
// least) before its extension.
std::string PartName(const std::string& name, int number) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "_%03d", number);
  std::size_t dot = name.rfind('.');
  const std::size_t folder = name.find_last_of("/\\");
  if (dot == std::string::npos || (folder != std::string::npos && dot < folder) || dot == folder + 1)
    dot = name.size();
  return name.substr(0, dot) + suffix + name.substr(dot);
}

// A text as one CSV item: as it stands, or in double quotes (each of its
// own doubled) when it holds a comma or a double quote.
std::string CsvItem(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char byte : text) {
    if (byte == '"') quoted += '"';
    quoted += byte;
  }
  return quoted + '"';
}

// The items every line of the plan's extract holds: the kept items of each
// RID range and cell block (a line short of them is padded), and the source
// column.
int OutputItemCount(const ExtractionPlan& plan) {
  std::int64_t items = plan.sourceColumn ? 1 : 0;
  for (const NumberRange& range : plan.ridRanges) items += range.last - range.first + 1;
  for (const CellRule& rule : plan.cellRules)
    ForEachBlock(rule, [&items](int first, int last) { items += last - first + 1; });
  return static_cast<int>(std::min<std::int64_t>(items, std::numeric_limits<int>::max()));
}

// A range entry the stepping can walk: two texts of digits of one width up to
// 8 with the first below the last. Anything else is taken as a single text.
bool IsSteppableRange(const std::string& first, const std::string& last) {
  return !first.empty() && first.size() <= kWidestRange && first.size() == last.size() &&
         IsAllDigits(first) == 0 && IsAllDigits(last) == 0 && first < last;
}

// Why a run stopped before its end steps.
struct RunStop {
  enum class Kind {
    IoError,    // shown as an error box
    Message,    // shown as a message box
    Abandoned,  // the window layer has said what it had to say
  };
  RunStop(Kind kind, std::string text, std::string incompleteExtract = {})
      : kind(kind), text(std::move(text)), incompleteExtract(std::move(incompleteExtract)) {}

  Kind kind;
  std::string text;
  // The extract the stop leaves cut short (code page 932): named after the
  // text once it is in place.
  std::string incompleteExtract;
};

// One run over a checked plan, from the series start to the run end.
class SeriesRun final : ExtractParts {
 public:
  SeriesRun(const ExtractionPlan& plan, const FileLayout& layout, WindowLayer& windows, RunRecord& record,
            const RunOptions& options)
      : plan_(plan),
        layout_(layout),
        windows_(windows),
        record_(record),
        outputItems_(OutputItemCount(plan)),
        partRecordsMost_(options.partLines - (layout.headingKind != HeadingKind::None ? 1 : 0)),
        workers_(options.cutWorkers) {}

  RunOutcome Run();

 private:
  // The outcome of NextSubstitution: a text to process, or the end of the series.
  enum class Next { Text, End };

  std::variant<Next, RunStop> NextSubstitution();
  std::optional<RunStop> TakeSubstitution(const std::string& text);
  // One file: true when it ended on a cancel request.
  std::variant<bool, RunStop> RunIteration();
  bool IsLaterSourceOfRange(const std::string& name, const FileIdentity& identity);
  // The extract of the iteration, begun or continued; `appending` tells which.
  std::optional<RunStop> TakeExtract(const std::string& extractName, const fs::path& extractPath,
                                     bool& appending);
  // Moves the extract being written into place; the stop to report when that fails.
  std::optional<RunStop> CommitExtract();
  // What one source file's records become beside the plan's items.
  FileOutput OutputOf(const std::string& sourceName) const;
  // Tells, once per extract, when Excel cannot open it whole.
  void NoteExcelLimits(const std::string& extractShown);
  // The parts of an extract split for Excel.
  std::int64_t Room() const override { return partRecordsMost_ - partRecords_; }
  std::variant<LineWriter*, IoError> NextPart(std::string_view heading) override;
  void EndRun();

  const ExtractionPlan& plan_;
  const FileLayout& layout_;
  WindowLayer& windows_;
  RunRecord& record_;
  // The items of every line of the extract.
  const int outputItems_;
  // Split for Excel: the extract name as the iteration has it, the number
  // of its part being written, and the records in it; how many records of
  // the current file went into parts before it.
  const std::int64_t partRecordsMost_;
  std::string partBase_;
  int partNumber_ = 0;
  std::int64_t partRecords_ = 0;
  std::int64_t partsFilledByFile_ = 0;
  std::string writingShown_;  // the extract or part being written, for messages

  std::string substitution_;      // code page 932, as entered
  std::string substitutionPath_;  // its UTF-8 form, for the file names
  // Both "  " before the first iteration: being equal, they make the first
  // iteration of a series ask.
  std::string rangeCurrent_ = "  ";
  std::string rangeEnd_ = "  ";
  bool lastEntry_ = false;
  std::string promptPrefix_ = FirstPromptPrefix();
  // The threads that cut records, for every file of the run.
  WorkerPool workers_;
  // The files this run reads: the file chosen for the layout, and the
  // source files opened so far.
  SourceSet sources_;
  IdentityResolver sourceIdentities_;
  IdentityResolver extractIdentities_;
  // The folder of the last extract, made when it was missing.
  fs::path extractFolder_;
  // Kept from file to file with their buffers, closed between iterations.
  LineReader source_;
  LineWriter extractWriter_;
  // The source name made absolute and canonical, once a range needs it.
  std::optional<std::string> canonicalPattern_;
  // The extract being written: the current iteration's, or the previous
  // iteration's until the next one knows whether it appends to it.
  std::unique_ptr<ExtractFile> extract_;
  // Sources whose text ended at a 0x1A byte with more of the file after it.
  std::vector<std::string> endedAtMark_;
  // The last failed commit left records in the temporary file.
  bool keptCutShort_ = false;
  // The lines of the extract being written (the heading included), and
  // whether the record count list has said that Excel cannot open it whole.
  std::int64_t extractLines_ = 0;
  bool excelNoticeGiven_ = false;
  std::vector<std::string> excelNotices_;
};

RunOutcome SeriesRun::Run() {
  platform::IgnoreFileSizeSignal();
  if (!layout_.fileName.empty()) sources_.Add(sourceIdentities_.Of(platform::PathFromUtf8(layout_.fileName)));
  windows_.RunStarted(windows_.TimeOfDay());
  lastEntry_ = false;

  std::optional<RunStop> stop;
  try {
    bool cancelled = false;
    do {
      windows_.IterationStarting();
      if (plan_.sourceIsSeries) {
        auto next = NextSubstitution();
        if (auto* halt = std::get_if<RunStop>(&next)) {
          stop = std::move(*halt);
          break;
        }
        if (std::get<Next>(next) == Next::End) break;
        windows_.ListLine(SeriesRuleLine());
        windows_.ListLine(SubstitutionLineLabel() + substitution_);
      }
      auto iteration = RunIteration();
      if (auto* halt = std::get_if<RunStop>(&iteration)) {
        stop = std::move(*halt);
        break;
      }
      cancelled = std::get<bool>(iteration);
    } while (!cancelled && plan_.sourceIsSeries);
  } catch (const std::bad_alloc&) {
    // The records written so far still go into place, named incomplete.
    stop = RunStop{RunStop::Kind::IoError, OutOfMemoryError().message,
                   extract_ ? Shown(extract_->Name()) : std::string()};
  }

  // Whatever stopped the run, what the extract holds goes into place. When
  // it cannot, the message says so, and where the records are, if anywhere.
  if (auto failed = CommitExtract()) {
    if (stop) {
      // What the stop said first; the records kept are those before it.
      std::string text = stop->text;
      if (!text.empty()) text += "\r\n";
      text += failed->text;
      if (!stop->incompleteExtract.empty() && keptCutShort_) text += "\r\n" + KeptRecordsCutShortNote();
      failed->text = std::move(text);
      failed->kind = RunStop::Kind::IoError;
    }
    stop = std::move(failed);
  }
  if (!stop) {
    EndRun();
    return RunOutcome::Finished;
  }
  if (!stop->incompleteExtract.empty())
    stop->text = IncompleteExtractMessage(stop->text, stop->incompleteExtract);
  switch (stop->kind) {
    case RunStop::Kind::IoError:
      windows_.RunFailed(IoError{stop->text});
      return RunOutcome::Failed;
    case RunStop::Kind::Message:
      windows_.RunStopped(stop->text);
      return RunOutcome::Failed;
    case RunStop::Kind::Abandoned:
      break;
  }
  windows_.RunAbandoned();
  return RunOutcome::Abandoned;
}

std::variant<SeriesRun::Next, RunStop> SeriesRun::NextSubstitution() {
  if (rangeCurrent_ != rangeEnd_) {
    rangeCurrent_ = StepRangeText(rangeCurrent_);
    if (auto stop = TakeSubstitution(rangeCurrent_)) return *stop;
    return Next::Text;
  }
  if (lastEntry_) return Next::End;

  const std::optional<SubstitutionEntry> entry = windows_.AskSubstitution(promptPrefix_, substitution_);
  promptPrefix_ = NextPromptPrefix();
  if (!entry) {
    // Closed by its close control: the end of the series, unless the layer
    // has given up on the run.
    if (windows_.AbandonsRun()) return RunStop{RunStop::Kind::Abandoned, {}};
    return Next::End;
  }
  record_.rangeWidth = entry->rangeWidth;
  if (entry->rangeWidth == 0 || entry->rangeCurrent.empty()) return Next::End;
  rangeCurrent_ = entry->rangeCurrent;
  rangeEnd_ = entry->rangeEnd;
  lastEntry_ = entry->lastEntry;
  if (!IsSteppableRange(rangeCurrent_, rangeEnd_)) rangeEnd_ = rangeCurrent_;
  if (auto stop = TakeSubstitution(rangeCurrent_)) return *stop;
  return Next::Text;
}

std::optional<RunStop> SeriesRun::TakeSubstitution(const std::string& text) {
  std::optional<std::string> path = Cp932ToUtf8(text);
  if (!path || path->find('\0') != std::string::npos)
    return RunStop{RunStop::Kind::Message, EntryNotFileNameMessage()};
  substitution_ = text;
  substitutionPath_ = std::move(*path);
  return std::nullopt;
}

// The text that the source name's @ would have to stand for to give `name`,
// when there is one: "d@.csv" and "d07.csv" give "07".
std::optional<std::string> SolveSubstitution(std::string_view pattern, std::string_view name) {
  const size_t ats = static_cast<size_t>(std::count(pattern.begin(), pattern.end(), '@'));
  const size_t fixed = pattern.size() - ats;
  if (ats == 0 || name.size() < fixed || (name.size() - fixed) % ats != 0) return std::nullopt;
  const size_t at = pattern.find('@');
  if (name.substr(0, at) != pattern.substr(0, at)) return std::nullopt;
  std::string text(name.substr(at, (name.size() - fixed) / ats));
  if (ReplacePlaceholder(pattern, text) != name) return std::nullopt;
  return text;
}

bool SeriesRun::IsLaterSourceOfRange(const std::string& name, const FileIdentity& identity) {
  // Only the members of an entered numeric range are known before their turn.
  if (rangeCurrent_ == rangeEnd_ || !IsSteppableRange(rangeCurrent_, rangeEnd_)) return false;
  if (!canonicalPattern_) {
    // The source name's folders, resolved once for the run.
    std::error_code error;
    canonicalPattern_ = platform::PathToUtf8(
        fs::weakly_canonical(fs::absolute(platform::PathFromUtf8(plan_.sourceName)), error));
  }
  for (const auto& [pattern, candidate] : {std::pair<std::string, std::string>{plan_.sourceName, name},
                                           {*canonicalPattern_, platform::PathToUtf8(identity.normalised)}}) {
    const std::optional<std::string> text = SolveSubstitution(pattern, candidate);
    if (!text || text->size() != rangeCurrent_.size() || IsAllDigits(*text) != 0) continue;
    if (*text <= rangeCurrent_ || *text > rangeEnd_) continue;
    const fs::path member = platform::PathFromUtf8(ReplacePlaceholder(plan_.sourceName, *text));
    if (SameIdentity(IdentityOf(member), identity)) return true;
  }
  return false;
}

std::variant<bool, RunStop> SeriesRun::RunIteration() {
  const std::string sourceName =
      plan_.sourceIsSeries ? ReplacePlaceholder(plan_.sourceName, substitutionPath_) : plan_.sourceName;
  // The names stay texts as typed for every rule of the run; only opening
  // takes them as paths.
  const fs::path sourcePath = platform::PathFromUtf8(sourceName);
  LineReader& source = source_;
  // Every way out of the iteration leaves the source closed.
  struct CloseAtEnd {
    LineReader& reader;
    ~CloseAtEnd() { reader.Close(); }
  } closeAtEnd{source};
  if (auto error = source.Open(sourcePath)) return RunStop{RunStop::Kind::IoError, error->message};
  const std::optional<platform::FileStamp> stampAtStart = source.Stamp();
  windows_.ListLine(SourceNameLineLabel() + Utf8ToCp932ForDisplay(sourceName));
  const FileIdentity sourceIdentity = sourceIdentities_.Of(sourcePath);
  if (extract_ && extract_->Holds(sourceIdentity.file)) {
    // The extract written so far would replace this source: it is dropped,
    // and the file stays as it was.
    extract_->Discard();
    extract_.reset();
    return RunStop{RunStop::Kind::Message, ExtractIsSourceMessage()};
  }
  sources_.Add(sourceIdentity);
  std::string extractName =
      plan_.extractIsSeries ? ReplacePlaceholder(plan_.extractName, substitutionPath_) : plan_.extractName;
  if (plan_.splitForExcel) {
    // The part being written when this file adds to the same extract, the
    // first part of a new one otherwise.
    if (!extract_ || !extract_->IsTarget(platform::PathFromUtf8(PartName(extractName, partNumber_)))) {
      partNumber_ = 1;
      partRecords_ = 0;
    } else if (partRecords_ >= partRecordsMost_) {
      ++partNumber_;  // a full part: the file begins the next one
      partRecords_ = 0;
    }
    partBase_ = extractName;
    extractName = PartName(extractName, partNumber_);
  }
  partsFilledByFile_ = 0;
  const fs::path extractPath = platform::PathFromUtf8(extractName);
  const std::optional<std::string_view> line1 = source.PeekFirstLine();
  // Line 1 cannot be read: the file fails before any extract is begun. An
  // extract it would have added to lacks its records.
  if (source.Error()) {
    const bool addsTo = extract_ && extract_->IsTarget(extractPath);
    return RunStop{RunStop::Kind::IoError, source.Error()->message,
                   addsTo ? Utf8ToCp932ForDisplay(extractName) : std::string()};
  }
  // A file of another layout would be cut by the wrong item numbers.
  if (line1) {
    const LayoutCounts found = CountsOfLineOne(*line1, layout_.headingKind);
    const LayoutCounts chosen = CountsOf(layout_);
    if (found != chosen) {
      const bool rid = found.itemCount == chosen.itemCount;
      return RunStop{RunStop::Kind::Message,
                     LayoutDiffersMessage(Utf8ToCp932ForDisplay(sourceName), rid,
                                          rid ? found.ridItemCount : found.itemCount,
                                          rid ? chosen.ridItemCount : chosen.itemCount)};
    }
  }

  bool appending = false;
  if (auto stop = TakeExtract(extractName, extractPath, appending)) return *stop;
  LineWriter& extract = extractWriter_;
  if (auto error = extract_->OpenWriter(extract, appending)) {
    // Nothing of this run is in a new extract: the older file stays.
    if (!appending) {
      extract_->Discard();
      extract_.reset();
    }
    return RunStop{RunStop::Kind::IoError, error->message};
  }
  if (!appending) {
    // A UTF-8 extract with a byte order mark has it before its heading.
    if (plan_.outputEncoding == OutputEncoding::Utf8WithBom) extract.Append(kUtf8ByteOrderMark);
    extractLines_ = layout_.headingKind != HeadingKind::None ? 1 : 0;
    excelNoticeGiven_ = false;
  }
  record_.previousExtractFile = extractName;
  const std::string& extractShown = writingShown_ = Utf8ToCp932ForDisplay(extractName);
  windows_.ListLine(ExtractNameLineLabel() + extractShown);
  if (sourcePath == platform::PathFromUtf8(layout_.fileName)) {
    record_.informationExtractFile = extractName;
    record_.informationExtractUtf8 = plan_.outputEncoding != OutputEncoding::Cp932;
  }

  windows_.FileStarted(plan_.sourceIsSeries, substitution_);
  const FileRunResult result =
      ProcessSourceFile(plan_, layout_.headingKind, source, extract, appending, windows_, workers_,
                        kChunkOutputLimit, OutputOf(sourceName), plan_.splitForExcel ? this : nullptr);
  partRecords_ += result.extractRecords - partsFilledByFile_;
  windows_.FileDone(result);

  std::optional<IoError> failure;
  if (result.Failure()) failure = *result.Failure();
  if (!failure) failure = extract.Error();
  // A source written to while it was read may have given torn records.
  if (!failure && stampAtStart && source.Stamp() != stampAtStart)
    failure = IoError{SourceChangedMessage(Utf8ToCp932ForDisplay(sourceName))};
  if (failure) {
    // What was written goes into place; the user learns which file is cut short.
    source.Close();
    extract.Close();
    return RunStop{RunStop::Kind::IoError, failure->message, writingShown_};
  }

  if (result.EndMarkBeforeEnd()) endedAtMark_.push_back(Utf8ToCp932ForDisplay(sourceName));
  source.Close();
  windows_.ListLine(SourceCountLineLabel() + FormatCount(result.sourceRecords));
  record_.sourceTotal += result.sourceRecords;

  if (auto error = extract.Close()) return RunStop{RunStop::Kind::IoError, error->message, writingShown_};
  if (!record_.informationExtractFile.empty() && extract_ &&
      extract_->IsTarget(platform::PathFromUtf8(record_.informationExtractFile)))
    record_.informationExtractCount += result.extractRecords;
  record_.extractTotal += result.extractRecords;
  windows_.ListLine(ExtractCountLineLabel() + FormatCount(result.extractRecords));
  extractLines_ += result.extractRecords;
  NoteExcelLimits(writingShown_);
  const bool cancelled = result.Cancelled();
  if (cancelled) {
    record_.cancelled = true;
    record_.cancelledExtractFile = extractName;
  }
  return cancelled;
}

std::optional<RunStop> SeriesRun::TakeExtract(const std::string& extractName, const fs::path& extractPath,
                                              bool& appending) {
  if (auto bad = CheckFileName(extractName)) return RunStop{RunStop::Kind::IoError, bad->message};
  // Creating or appending to a file that the run reads would destroy its
  // input: the layout's file, a source read already, or one that the
  // entered range is still to read.
  const FileIdentity extractIdentity = extractIdentities_.Of(extractPath);
  if (sources_.Contains(extractIdentity) || IsLaterSourceOfRange(extractName, extractIdentity))
    return RunStop{RunStop::Kind::Message, ExtractIsSourceMessage()};
  // The folders of the path are made once; while the folder is there, every
  // folder leading to it is.
  const fs::path extractFolder = extractPath.parent_path();
  if (extractFolder.empty() || extractFolder != extractFolder_ || !platform::Exists(extractFolder)) {
    CreatePathFolders(extractPath);
    extractFolder_ = extractFolder;
  }
  // The same file as the previous iteration's extract, however it is spelled.
  appending = extract_ && extract_->IsTarget(extractPath);
  if (appending) return std::nullopt;
  if (auto stop = CommitExtract()) return stop;
  ExtractFile::BeginResult begun = ExtractFile::Begin(extractPath);
  if (auto* error = std::get_if<IoError>(&begun)) return RunStop{RunStop::Kind::IoError, error->message};
  if (std::holds_alternative<ExtractFile::Busy>(begun))
    return RunStop{RunStop::Kind::Message, ExtractBeingWrittenMessage(Utf8ToCp932ForDisplay(extractName))};
  extract_ = std::move(std::get<std::unique_ptr<ExtractFile>>(begun));
  return std::nullopt;
}

std::optional<RunStop> SeriesRun::CommitExtract() {
  if (!extract_) return std::nullopt;
  const std::optional<IoError> error = extract_->Commit();
  if (!error) {
    extract_.reset();
    return std::nullopt;
  }
  const std::string shown = Shown(extract_->Name());
  std::optional<std::string> kept;
  if (const std::optional<fs::path> keptName = extract_->KeptName()) kept = Shown(*keptName);
  keptCutShort_ = kept.has_value();
  extract_.reset();
  return RunStop{RunStop::Kind::IoError, ExtractNotReplacedMessage(error->message, shown, kept)};
}

FileOutput SeriesRun::OutputOf(const std::string& sourceName) const {
  FileOutput output;
  output.utf8 = plan_.outputEncoding != OutputEncoding::Cp932;
  output.sourceShown = Utf8ToCp932ForDisplay(sourceName);
  if (plan_.sourceColumn) {
    // The @ substitution text of a series; a single file's own name.
    const bool series = plan_.sourceIsSeries;
    output.headingPrefix = (series ? SourceColumnSeriesHeading() : SourceColumnFileHeading()) + ",";
    output.recordPrefix =
        CsvItem(series ? substitution_ : Shown(platform::PathFromUtf8(sourceName).filename())) + ",";
  }
  return output;
}

std::variant<LineWriter*, IoError> SeriesRun::NextPart(std::string_view heading) {
  partsFilledByFile_ += partRecordsMost_ - partRecords_;
  // The full part goes into place as any extract does.
  if (auto error = extractWriter_.Close()) return *error;
  ++partNumber_;
  partRecords_ = 0;
  const std::string partName = PartName(partBase_, partNumber_);
  bool appending = false;
  if (auto stop = TakeExtract(partName, platform::PathFromUtf8(partName), appending))
    return IoError{stop->text};
  if (auto error = extract_->OpenWriter(extractWriter_, false)) {
    extract_->Discard();
    extract_.reset();
    return *error;
  }
  if (plan_.outputEncoding == OutputEncoding::Utf8WithBom) extractWriter_.Append(kUtf8ByteOrderMark);
  extractWriter_.Append(heading);
  record_.previousExtractFile = partName;
  writingShown_ = Utf8ToCp932ForDisplay(partName);
  windows_.ListLine(ExtractNameLineLabel() + writingShown_);
  return &extractWriter_;
}

void SeriesRun::NoteExcelLimits(const std::string& extractShown) {
  if (excelNoticeGiven_ || extractLines_ == 0) return;
  // Parts never pass Excel's rows.
  const bool tooManyRows = !plan_.splitForExcel && extractLines_ > kExcelRows;
  if (!tooManyRows && outputItems_ <= kExcelColumns) return;
  excelNoticeGiven_ = true;
  std::string notice = ExcelLimitNotice(extractShown, extractLines_, outputItems_);
  windows_.ListLine(notice);
  excelNotices_.push_back(std::move(notice));
}

void SeriesRun::EndRun() {
  windows_.RunEnded(RunTotals{record_.sourceTotal, record_.extractTotal, windows_.TimeOfDay(),
                              std::move(endedAtMark_), std::move(excelNotices_)});
}

}  // namespace

std::string StepRangeText(std::string_view current) {
  std::int64_t value = 0;
  for (char digit : current) value = value * 10 + (digit - '0');
  const std::string text = std::to_string(value + 100000001);
  return text.substr(text.size() - std::min(current.size(), text.size()));
}

std::string ReplacePlaceholder(std::string_view name, std::string_view text) {
  std::string out;
  out.reserve(name.size() + text.size());
  for (char byte : name) {
    if (byte == '@')
      out.append(text);
    else
      out += byte;
  }
  return out;
}

bool IsSameFile(const fs::path& a, const fs::path& b) { return SameIdentity(IdentityOf(a), IdentityOf(b)); }

RunOutcome RunExtraction(const ExtractionConditions& conditions, const FileLayout& layout,
                         WindowLayer& windows, RunRecord& record, const RunOptions& options) {
  windows.RunRequested();

  PlanResult planned = BuildExtractionPlan(conditions, layout);
  if (const auto* error = std::get_if<PlanError>(&planned)) {
    windows.RunRefused(*error);
    return RunOutcome::Refused;
  }
  if (const auto* error = std::get_if<ConversionError>(&planned)) {
    windows.ConversionRefused(error->message);
    return RunOutcome::Refused;
  }
  // Every run that passes the checks starts afresh: nothing of an earlier run
  // is added to or appended to. A refused run changes nothing, so the extract
  // information of the run before stays available.
  record = RunRecord{};
  try {
    SeriesRun run(std::get<ExtractionPlan>(planned), layout, windows, record, options);
    return run.Run();
  } catch (const std::bad_alloc&) {
    windows.RunFailed(OutOfMemoryError());
    return RunOutcome::Failed;
  }
}

}  // namespace sifta
