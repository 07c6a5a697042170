#include "engine/formfile.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/files.h"
#include "engine/formconvert.h"
#include "engine/textscan.h"

namespace {

constexpr size_t kChunk = 1 << 16;
constexpr uint64_t kPage = 4096;

// The texts that tell a converted file from one still to convert: first the
// version 8 headers, then every version 8c text. A version 8 header settles
// it: the file is one to convert.
TextScan MarksScan(const Tables& tables) {
  std::vector<std::string> marks;
  for (const ReplacementRow& row : tables.FormTable) marks.push_back(row.find);
  for (const ReplacementRow& row : tables.FormTable) marks.push_back(row.repl);
  for (const ReplacementRow& row : tables.ClassTable) marks.push_back(row.repl);
  return TextScan(std::move(marks), tables.FormTable.size());
}

bool AlreadyConverted(const TextScan& scan, const Tables& tables) {
  const size_t headers = tables.FormTable.size();
  for (size_t i = 0; i < headers; ++i) {
    if (scan.Found(i)) return false;
  }
  const size_t marks = headers * 2 + tables.ClassTable.size();
  for (size_t i = headers; i < marks; ++i) {
    if (scan.Found(i)) return true;
  }
  return false;
}

LineEnds EndsOf(const TextScan& scan) {
  return LineEndsOf(scan.has_cr(), scan.has_lf());
}

// Fills first with up to kChunk bytes from read, however few each read
// gives: a chunk is short only at the end of the file.
template <class Read>
void ReadFirstChunk(Read read, std::string& first) {
  first.resize(kChunk);
  size_t have = 0;
  while (have < kChunk) {
    const size_t got = read(first.data() + have, kChunk - have);
    if (got == 0) break;
    have += got;
  }
  first.resize(have);
}

// A file opened for its conversion, with its line ends learnt. They are
// those of the whole file, so a file whose first chunk holds no CR is
// looked through to its end, or to its first CR, and opened again.
struct OpenedSource {
  std::unique_ptr<InputFile> in;
  std::string first;  // read to learn the line ends, to be handed out first
  LineEnds ends = LineEnds::kCr;
};

OpenedSource OpenSource(FileSystem& fs, const std::string& path) {
  OpenedSource source{std::make_unique<InputFile>(fs, path), {}, {}};
  std::string& first = source.first;
  ReadFirstChunk([&](char* buf, size_t n) { return source.in->Read(buf, n); },
                 first);
  TextScan scan({});
  scan.Feed(first);
  if (scan.has_cr() || first.size() < kChunk) {
    source.ends = EndsOf(scan);
    return source;
  }
  std::string buf(kChunk, '\0');
  while (!scan.has_cr()) {
    const size_t got = source.in->Read(buf.data(), buf.size());
    if (got == 0) break;
    scan.Feed(std::string_view(buf.data(), got));
  }
  source.in->Close();
  source.in = std::make_unique<InputFile>(fs, path);
  first.clear();
  source.ends = EndsOf(scan);
  return source;
}

// The conversion of a file, read like a file: each read converts as many
// lines as it needs.
class ConvertedFile {
 public:
  ConvertedFile(OpenedSource source, const Tables& tables)
      : source_(std::move(source)),
        reader_([this](char* buf, size_t n) { return Refill(buf, n); },
                source_.ends),
        writer_([this](std::string_view bytes) { pending_.append(bytes); },
                source_.ends),
        lines_(tables, nullptr) {}
  // The reader and the writer call back into this very object.
  ConvertedFile(const ConvertedFile&) = delete;
  ConvertedFile& operator=(const ConvertedFile&) = delete;

  size_t Read(char* buf, size_t n) {
    while (pending_.size() - taken_ < n && !reader_.AtEnd()) {
      lines_.Convert(reader_.NextLine(spill_), writer_);
      writer_.Flush();
    }
    const size_t k = pending_.copy(buf, n, taken_);
    taken_ += k;
    if (taken_ >= kChunk) {
      pending_.erase(0, taken_);
      taken_ = 0;
    }
    return k;
  }

 private:
  size_t Refill(char* buf, size_t n) {
    if (handed_ < source_.first.size()) {
      const size_t k = source_.first.copy(buf, n, handed_);
      handed_ += k;
      return k;
    }
    return source_.in->Read(buf, n);
  }

  OpenedSource source_;
  size_t handed_ = 0;
  SourceReader reader_;
  TargetWriter writer_;
  FormLines lines_;
  std::string spill_;
  std::string pending_;  // converted, not yet read
  size_t taken_ = 0;
};

// Compares the bytes of a listed file, fed as they are read, with what
// Theirs reads: its backup's conversion.
template <class Theirs>
class Comparison {
 public:
  template <class... Args>
  explicit Comparison(Args&&... theirs)
      : converted_(std::forward<Args>(theirs)...),
        buf_(std::make_unique_for_overwrite<char[]>(kChunk)) {}
  Comparison(const Comparison&) = delete;
  Comparison& operator=(const Comparison&) = delete;

  // Whether further bytes can change nothing: the file is another.
  bool Known() const { return likeness_ == Likeness::kOther; }

  void Feed(std::string_view mine) {
    size_ += mine.size();
    while (!mine.empty() && !Known()) {
      const size_t n =
          converted_.Read(buf_.get(), std::min(mine.size(), kChunk));
      if (n == 0) {
        // Past the conversion's end a cut file holds zero bytes only.
        const bool zeros = mine.find_first_not_of('\0') == std::string::npos;
        likeness_ = zeros ? Likeness::kCut : Likeness::kOther;
        return;
      }
      Compare(mine.substr(0, n), std::string_view(buf_.get(), n));
      mine.remove_prefix(n);
    }
  }

  // Once the file has ended. Written bytes reach the disk a page at a time,
  // while a file someone shortened ends where they chose.
  Likeness Finish() {
    if (Known()) return likeness_;
    char more;
    if (converted_.Read(&more, 1) != 0) {
      const bool paged = size_ % kPage == 0 || likeness_ == Likeness::kCut;
      return paged ? Likeness::kCut : Likeness::kOther;
    }
    return likeness_;
  }

 private:
  void Compare(std::string_view mine, std::string_view theirs) {
    if (mine == theirs) return;
    for (size_t i = 0; i < mine.size(); ++i) {
      if (mine[i] == theirs[i]) continue;
      if (mine[i] != '\0') {
        likeness_ = Likeness::kOther;
        return;
      }
      likeness_ = Likeness::kCut;
    }
  }

  Theirs converted_;
  std::unique_ptr<char[]> buf_;
  uint64_t size_ = 0;  // of the file, as far as fed
  Likeness likeness_ = Likeness::kSame;
};

using BackupComparison = Comparison<ConvertedFile>;

// The comparison a file needs: with its backup's conversion where the
// backup is a regular file other than the file itself.
std::optional<BackupComparison> ComparisonFor(const std::string& path,
                                              const FileSystem::Status& status,
                                              const FileSystem::Status& found,
                                              const Tables& tables,
                                              FileSystem& fs) {
  const std::string bak = path + kBackupSuffix;
  const FileSystem::Status backup =
      found.kind == FileSystem::Kind::kLink ? StatFile(fs, bak) : found;
  if (backup.kind != FileSystem::Kind::kRegular || SameFile(backup, status)) {
    return std::nullopt;
  }
  return std::optional<BackupComparison>(std::in_place, OpenSource(fs, bak),
                                         tables);
}

// Reads a listed file once for its plan: every chunk goes to the scan and,
// where there is one, to the comparison with the backup's conversion.
class PlanReading {
 public:
  PlanReading(FileSystem& fs, const std::string& path, TextScan& scan,
              std::optional<BackupComparison>& backup)
      : in_(fs, path), scan_(scan), backup_(backup) {}

  size_t Read(char* buf, size_t n) {
    const size_t got = in_.Read(buf, n);
    const std::string_view chunk(buf, got);
    scan_.Feed(chunk);
    if (backup_) backup_->Feed(chunk);
    return got;
  }
  // Whether the rest of the file can change nothing the plan takes from it.
  bool Decided() const {
    return scan_.Decided() && (!backup_ || backup_->Known());
  }
  void Close() { in_.Close(); }

 private:
  InputFile in_;
  TextScan& scan_;
  std::optional<BackupComparison>& backup_;
};

// A file still to convert names a version 8 library in its first lines,
// and its first line ends in CR LF: a page settles most plans, and reading
// the rest of a form there only to drop it would double the bytes a batch
// reads.
void ReadToDecision(PlanReading& reading) {
  const auto buf = std::make_unique_for_overwrite<char[]>(kChunk);
  size_t want = kPage;
  while (!reading.Decided() && reading.Read(buf.get(), want) != 0) {
    want = kChunk;
  }
  reading.Close();
}

void ConvertInto(const SourceReader::Refill& refill, LineEnds ends,
                 const Tables& tables, const TargetWriter::Sink& sink,
                 LineWatch* watch) {
  SourceReader in(refill, ends);
  TargetWriter out(sink, ends);
  ConvertFormLines(in, out, tables, watch);
  out.Flush();
}

// Reads the file to its end, converting it into nothing to learn which
// lines change. The line ends are known only at the end, so they are
// guessed from the first chunk: any CR there settles it, and a file whose
// first chunk has LFs and no CR seldom has a CR later. A wrong guess costs
// a second reading, for the changes alone.
void ReadWatching(PlanReading& reading, const std::string& path,
                  const Tables& tables, FileSystem& fs, TextScan& scan,
                  FileReport& changes) {
  const TargetWriter::Sink discard = [](std::string_view) {};
  std::string first;
  ReadFirstChunk([&](char* buf, size_t n) { return reading.Read(buf, n); },
                 first);
  const LineEnds guess = LineEndsOf(first.find('\r') != std::string::npos,
                                    first.find('\n') != std::string::npos);
  size_t handed = 0;
  const auto refill = [&](char* buf, size_t n) {
    if (handed == first.size()) return reading.Read(buf, n);
    const size_t k = first.copy(buf, n, handed);
    handed += k;
    return k;
  };
  LineWatch watch(changes, true, nullptr);
  ConvertInto(refill, guess, tables, discard, &watch);
  reading.Close();
  if (EndsOf(scan) == guess) return;
  changes.changed_lines = 0;
  changes.samples.clear();
  InputFile again(fs, path);
  LineWatch second(changes, true, nullptr);
  ConvertInto([&](char* buf, size_t n) { return again.Read(buf, n); },
              EndsOf(scan), tables, discard, &second);
  again.Close();
}

}  // namespace

FormPlan PlanForm(const std::string& path, const FileSystem::Status& status,
                  const FileSystem::Status& backup, const Tables& tables,
                  FileSystem& fs, FileReport* changes) {
  std::optional<BackupComparison> comparison =
      ComparisonFor(path, status, backup, tables, fs);
  TextScan scan = MarksScan(tables);
  PlanReading reading(fs, path, scan, comparison);
  if (changes != nullptr) {
    ReadWatching(reading, path, tables, fs, scan, *changes);
  } else {
    ReadToDecision(reading);
  }
  const Likeness likeness =
      comparison ? comparison->Finish() : Likeness::kOther;
  // No original is lost at a power cut. The backup is the original under a
  // second name (or a copy flushed with its folder before the original
  // goes), and folder entries reach the disk in the order they were made,
  // as a journal keeps them, so wherever a new file took the listed name the
  // backup is there too. The new file's bytes may not all have reached the
  // disk: a cut file is short by whole pages, or holds zero bytes where its
  // conversion has others. Such a file may even look converted, and
  // converting it would make it the backup: so it stops the project here,
  // by this comparison with its backup's conversion, before anything is
  // written. A backup that is the file itself is no other file to compare
  // with. Not covered: a cut project file holds no version 8 reference, and
  // reads as a project without convertible controls.
  if (likeness == Likeness::kCut) {
    ThrowFileError("convert", path, CutFileError());
  }
  FormPlan plan;
  plan.ends = EndsOf(scan);
  plan.convert = likeness != Likeness::kSame && !AlreadyConverted(scan, tables);
  return plan;
}

FormPlan WriteConversion(NewFile& file, InputFile& source, LineEnds ends,
                         const Tables& tables, LineWatch* watch) {
  TextScan scan = MarksScan(tables);
  WriteNewFile(file, [&](OutputFile& target, const FileSystem::Status&) {
    const auto refill = [&](char* buf, size_t n) {
      const size_t got = source.Read(buf, n);
      scan.Feed(std::string_view(buf, got));
      return got;
    };
    ConvertInto(
        refill, ends, tables,
        [&](std::string_view bytes) { target.Write(bytes); }, watch);
    source.Close();
  });
  return {!AlreadyConverted(scan, tables), EndsOf(scan)};
}

namespace {

// Bytes in memory, read like a file.
class BytesReader {
 public:
  explicit BytesReader(std::string_view bytes) : bytes_(bytes) {}
  size_t Read(char* buf, size_t n) {
    const size_t k = bytes_.copy(buf, n);
    bytes_.remove_prefix(k);
    return k;
  }

 private:
  std::string_view bytes_;
};

}  // namespace

Likeness CompareWithConversion(const std::string& path,
                               const std::string& backup, const Tables& tables,
                               FileSystem& fs) {
  BackupComparison comparison(OpenSource(fs, backup), tables);
  ReadChunks(fs, path, [&](std::string_view chunk) {
    comparison.Feed(chunk);
    return !comparison.Known();
  });
  return comparison.Finish();
}

Likeness CompareBytes(std::string_view mine, std::string_view theirs) {
  Comparison<BytesReader> comparison(theirs);
  comparison.Feed(mine);
  return comparison.Finish();
}

bool LooksConverted(const std::string& path, const Tables& tables,
                    FileSystem& fs) {
  TextScan scan = MarksScan(tables);
  ReadChunks(fs, path, [&](std::string_view chunk) {
    scan.Feed(chunk);
    return !scan.Decided();
  });
  return AlreadyConverted(scan, tables);
}
