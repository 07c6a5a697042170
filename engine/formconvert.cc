#include "engine/formconvert.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/files.h"
#include "engine/listedname.h"
#include "engine/replacement.h"
#include "engine/text.h"
#include "engine/textscan.h"

namespace {

constexpr std::string_view kBlockOpen = "Begin ";
constexpr std::string_view kSectionOpen = "BeginProperty ";
constexpr std::string_view kBlockClose = "End";

bool OpensBlock(std::string_view s) {
  return StartsWithIgnoreCase(TrimSpaces(s), kBlockOpen);
}

// Up to and including the first full stop, or all of s.
std::string_view LibraryPart(std::string_view s) {
  const size_t dot = s.find('.');
  return dot == std::string_view::npos ? s : s.substr(0, dot + 1);
}

// The texts that tell a converted file from one still to convert: first the
// version 8 headers, then every version 8c text.
std::vector<std::string> Marks(const Tables& tables) {
  std::vector<std::string> marks;
  for (const ReplacementRow& row : tables.FormTable) marks.push_back(row.find);
  for (const ReplacementRow& row : tables.FormTable) marks.push_back(row.repl);
  for (const ReplacementRow& row : tables.ClassTable) marks.push_back(row.repl);
  return marks;
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

// Which lines outside the blocks need searching at all. A header or class
// text can only occur in a line that holds its anchor byte (see AnchorOf),
// and a line where none occurs is left as it is by every row, so most code
// lines are written on after a search for a byte or two. With the texts a
// report looks for (left), a line passed over holds none of those either.
class LineFilter {
 public:
  LineFilter(const Tables& tables, const Version8Finder* left) {
    for (const ReplacementRow& row : tables.FormTable) Add(row.find);
    for (const ReplacementRow& row : tables.ClassTable) {
      Add(row.find);
      Add(LibraryPart(row.find));
    }
    if (left == nullptr) return;
    const std::optional<std::string> anchors = left->Anchors();
    if (!anchors) every_line_ = true;
    for (const char c : anchors.value_or("")) AddAnchor(c);
  }

  bool Admits(std::string_view s) const {
    if (every_line_) return true;
    for (char c : anchors_) {
      if (std::memchr(s.data(), c, s.size()) != nullptr) return true;
    }
    return false;
  }

 private:
  void Add(std::string_view find) {
    if (find.empty()) return;  // matches nothing
    const size_t k = AnchorOf(find);
    if (k == std::string_view::npos) {
      every_line_ = true;  // letters only: no byte to look for
    } else {
      AddAnchor(find[k]);
    }
  }
  void AddAnchor(char c) {
    if (anchors_.find(c) == std::string::npos) anchors_.push_back(c);
  }

  bool every_line_ = false;
  std::string anchors_;
};

// The line in s, where the tables may change it: most lines are seen where
// the reader holds them and are copied only when a table may apply.
std::string& Editable(std::string_view line, std::string& s) {
  if (line.data() != s.data()) s.assign(line);
  return s;
}

}  // namespace

void ConvertFormLines(SourceReader& in, TargetWriter& out, const Tables& tables,
                      LineWatch* watch) {
  const LineFilter filter(tables, watch != nullptr ? watch->Left() : nullptr);
  std::string s;
  while (!in.AtEnd()) {
    std::string_view line = in.NextLine(s);
    if (watch != nullptr) watch->Read(line);
    const bool searched = filter.Admits(line);
    if (searched && ApplyTable(Editable(line, s), tables.FormTable)) {
      out.WriteLine(s);
      if (watch != nullptr) watch->Wrote(s, true, true);
      continue;
    }
    if (searched) line = s;  // where its bytes lie now
    if (OpensBlock(line)) {
      ConvertControl(Editable(line, s), in, out, tables, watch);
    } else if (searched) {
      const bool changed = ConvertCode(s, tables);
      out.WriteLine(s);
      if (watch != nullptr) watch->Wrote(s, changed, true);
    } else {
      out.WriteLine(line);
      if (watch != nullptr) watch->Wrote(line, false, false);
    }
  }
}

void ConvertControl(std::string& s, SourceReader& in, TargetWriter& out,
                    const Tables& tables, LineWatch* watch) {
  // Blocks nest to any depth in hostile input, so the nesting is counted
  // rather than recursed into: the output is the same as a recursive walk's.
  bool changed = ApplyTable(s, tables.ClassTable);
  out.WriteLine(s);
  if (watch != nullptr) watch->Wrote(s, changed, false);
  size_t depth = 1;
  while (!in.AtEnd()) {
    std::string_view line = in.NextLine(s);
    if (watch != nullptr) watch->Read(line);
    // Most lines of a block are indented properties, trimmed once and
    // written on. A table may change s, and with it where its bytes lie:
    // line and trimmed are taken from it again after each.
    std::string_view trimmed = TrimSpaces(line);
    changed = false;
    if (StartsWithIgnoreCase(trimmed, kSectionOpen)) {
      if (ApplyTable(Editable(line, s), tables.PropTable)) changed = true;
      line = s;
      trimmed = TrimSpaces(s);
    }
    if (StartsWithIgnoreCase(trimmed, kBlockOpen)) {
      if (ApplyTable(Editable(line, s), tables.ClassTable)) changed = true;
      line = s;
      ++depth;
    } else if (EqualsIgnoreCase(trimmed, kBlockClose)) {
      --depth;
    }
    out.WriteLine(line);
    if (watch != nullptr) watch->Wrote(line, changed, false);
    if (depth == 0) return;
  }
}

bool ConvertCode(std::string& s, const Tables& tables) {
  bool changed = false;
  for (const ReplacementRow& row : tables.ClassTable) {
    if (StringReplace(s, row.find, row.repl)) changed = true;
    // A library part is a prefix of its text, so it differs from the text
    // exactly when it is shorter.
    const std::string_view find_library = LibraryPart(row.find);
    if (find_library.size() == row.find.size()) continue;
    const std::string_view repl_library = LibraryPart(row.repl);
    if (repl_library.size() != row.repl.size() &&
        StringReplace(s, find_library, repl_library)) {
      changed = true;
    }
  }
  return changed;
}

namespace {

constexpr size_t kReadChunk = 1 << 16;

// Reads path into scan until the rest could change nothing the scan tells.
void ScanFile(FileSystem& fs, const std::string& path, TextScan& scan) {
  ReadChunks(fs, path, [&](std::string_view chunk) {
    scan.Feed(chunk);
    return !scan.Decided();
  });
}

void Convert(const SourceReader::Refill& refill, LineEnds ends,
             const Tables& tables, const TargetWriter::Sink& sink,
             LineWatch* watch) {
  SourceReader in(refill, ends);
  TargetWriter out(sink, ends);
  ConvertFormLines(in, out, tables, watch);
  out.Flush();
}

void ConvertStream(FileSystem& fs, const std::string& path, LineEnds ends,
                   const Tables& tables, const TargetWriter::Sink& sink,
                   LineWatch* watch = nullptr) {
  InputFile source(fs, path);
  Convert([&](char* buf, size_t n) { return source.Read(buf, n); }, ends,
          tables, sink, watch);
  source.Close();
}

void ConvertBytes(std::string_view bytes, LineEnds ends, const Tables& tables,
                  const TargetWriter::Sink& sink, LineWatch* watch) {
  Convert(
      [&](char* buf, size_t n) {
        const size_t k = bytes.copy(buf, n);
        bytes.remove_prefix(k);
        return k;
      },
      ends, tables, sink, watch);
}

// Whether now is the status of the very file read under read: the same
// file, as long, last changed at the same time. A file system that names no
// file by its id leaves it unknown, and the file is read again.
bool StillAsRead(const FileSystem::Status& now,
                 const FileSystem::Status& read) {
  return SameFile(now, read) && now.size == read.size &&
         now.modified == read.modified;
}

// Scans the file and, in the same reading, converts it into nothing to learn
// which lines change. The line ends are known only at the end, so they are
// guessed from the first chunk: any CR there settles it, and a file whose
// first chunk has LFs and no CR seldom has a CR later. A wrong guess costs a
// second reading.
void ScanAndWatch(FileSystem& fs, const std::string& path, const Tables& tables,
                  TextScan& scan, FileReport& changes) {
  const TargetWriter::Sink discard = [](std::string_view) {};
  LineEnds guess;
  {
    InputFile source(fs, path);
    std::string first(kReadChunk, '\0');
    first.resize(source.Read(first.data(), first.size()));
    scan.Feed(first);
    guess = LineEndsOf(first.find('\r') != std::string::npos,
                       first.find('\n') != std::string::npos);
    size_t handed = 0;
    SourceReader in(
        [&](char* buf, size_t n) {
          if (handed < first.size()) {
            const size_t k = first.copy(buf, n, handed);
            handed += k;
            return k;
          }
          const size_t got = source.Read(buf, n);
          scan.Feed(std::string_view(buf, got));
          return got;
        },
        guess);
    TargetWriter out(discard, guess);
    LineWatch watch(changes, true, nullptr);
    ConvertFormLines(in, out, tables, &watch);
    source.Close();
  }
  const LineEnds ends = LineEndsOf(scan.has_cr(), scan.has_lf());
  if (ends == guess) return;
  changes.changed_lines = 0;
  changes.samples.clear();
  LineWatch watch(changes, true, nullptr);
  ConvertStream(fs, path, ends, tables, discard, &watch);
}

// How a file's bytes stand to a stream of bytes that should be its own.
enum class Likeness {
  kSame,
  // Shorter by whole pages, or with zero bytes where the stream has others,
  // and otherwise the same: what a power cut leaves of a file whose bytes
  // had not all reached the disk.
  kCut,
  kOther,
};

// Compares a stream of bytes with a file's, and stops the stream as soon as
// the answer is known.
class FileLikeness {
 public:
  struct Known {};  // thrown to stop the stream

  FileLikeness(FileSystem& fs, const std::string& path)
      : file_(fs, path),
        buf_(std::make_unique_for_overwrite<char[]>(kReadChunk)) {}

  void Compare(std::string_view bytes) {
    while (!bytes.empty()) {
      if (pos_ == len_ && !Fill()) {
        // The file ends first. Written bytes reach the disk a page at a
        // time, while a file someone shortened ends where they chose.
        if (size_ % kPage != 0 && likeness_ != Likeness::kCut) {
          likeness_ = Likeness::kOther;
        } else {
          likeness_ = Likeness::kCut;
        }
        throw Known{};
      }
      const size_t n = std::min(bytes.size(), len_ - pos_);
      const char* mine = buf_.get() + pos_;
      if (std::memcmp(bytes.data(), mine, n) != 0) {
        for (size_t i = 0; i < n; ++i) {
          if (mine[i] == bytes[i]) continue;
          if (mine[i] != '\0') {
            likeness_ = Likeness::kOther;
            throw Known{};
          }
          likeness_ = Likeness::kCut;
        }
      }
      pos_ += n;
      bytes.remove_prefix(n);
    }
  }

  // Once the stream has ended: bytes of the file beyond it leave it cut
  // only when they are all zero bytes.
  Likeness Result() {
    while (pos_ < len_ || Fill()) {
      const std::string_view rest(buf_.get() + pos_, len_ - pos_);
      if (rest.find_first_not_of('\0') != std::string_view::npos) {
        return Likeness::kOther;
      }
      likeness_ = Likeness::kCut;
      pos_ = len_;
    }
    return likeness_;
  }

  Likeness Stopped() const { return likeness_; }

 private:
  static constexpr size_t kPage = 4096;

  bool Fill() {
    len_ = file_.Read(buf_.get(), kReadChunk);
    pos_ = 0;
    size_ += len_;
    return len_ != 0;
  }

  InputFile file_;
  std::unique_ptr<char[]> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
  uint64_t size_ = 0;  // of the file, as far as read
  Likeness likeness_ = Likeness::kSame;
};

// How path stands to the conversion of its backup, when that is another
// file: the same is what a run stopped after converting it leaves, cut what
// a power cut after that can leave. kOther without such a backup.
// found is what is under the backup's name, a link not followed.
Likeness LikenessToBackup(const std::string& path,
                          const FileSystem::Status& found, const Tables& tables,
                          FileSystem& fs) {
  const std::string bak = path + kBackupSuffix;
  const FileSystem::Status backup =
      found.kind == FileSystem::Kind::kLink ? StatFile(fs, bak) : found;
  if (backup.kind != FileSystem::Kind::kRegular) return Likeness::kOther;
  const FileSystem::Status file = StatFile(fs, path);
  if (SameFile(backup, file)) {
    return Likeness::kOther;
  }
  TextScan ends_scan({});
  ScanFile(fs, bak, ends_scan);
  FileLikeness likeness(fs, path);
  try {
    ConvertStream(fs, bak, LineEndsOf(ends_scan.has_cr(), ends_scan.has_lf()),
                  tables,
                  [&](std::string_view bytes) { likeness.Compare(bytes); });
  } catch (const FileLikeness::Known&) {
    return likeness.Stopped();
  }
  return likeness.Result();
}

// A version 8 header settles it: the file is one to convert.
TextScan PlanScan(const Tables& tables) {
  return TextScan(Marks(tables), tables.FormTable.size());
}

// What the scan of path's bytes tells for plan.
void Settle(const std::string& path, const FileSystem::Status& backup,
            const TextScan& scan, const Tables& tables, FileSystem& fs,
            FormPlan& plan) {
  plan.ends = LineEndsOf(scan.has_cr(), scan.has_lf());
  // A file cut short after its conversion was renamed into place, before
  // its bytes reached the disk, may even look converted; converting it
  // again would make it the backup, and the original would be gone.
  const Likeness likeness = LikenessToBackup(path, backup, tables, fs);
  if (likeness == Likeness::kCut) {
    ThrowFileError("convert", path, CutFileError());
  }
  plan.convert = likeness != Likeness::kSame && !AlreadyConverted(scan, tables);
}

}  // namespace

FormPlan PlanForm(const std::string& path, const Tables& tables, FileSystem& fs,
                  FileReport* changes) {
  TextScan scan = PlanScan(tables);
  if (changes != nullptr) {
    ScanAndWatch(fs, path, tables, scan, *changes);
  } else {
    ScanFile(fs, path, scan);
  }
  FormPlan plan;
  Settle(path, StatName(fs, path + kBackupSuffix), scan, tables, fs, plan);
  return plan;
}

FormPlan PlanForm(const std::string& path, const FileSystem::Status& status,
                  const FileSystem::Status& backup, size_t keep,
                  const Tables& tables, FileSystem& fs) {
  TextScan scan = PlanScan(tables);
  FormPlan plan;
  std::string bytes;
  // A file that grew since its status was taken is read again: the rewrite
  // trusts kept bytes only while the file is as long as they are.
  if (status.size <= keep && ReadSized(fs, path, status.size, bytes)) {
    scan.Feed(bytes);
    plan.bytes = std::move(bytes);
    plan.read = status;
  } else {
    ScanFile(fs, path, scan);
  }
  Settle(path, backup, scan, tables, fs, plan);
  return plan;
}

ConvertedForm ConvertKept(const FormPlan& plan, const Tables& tables,
                          bool report, const Version8Finder* left) {
  ConvertedForm done;
  done.bytes.reserve(plan.bytes->size() + plan.bytes->size() / 64);
  std::optional<LineWatch> watch;
  if (report) watch.emplace(done.report, false, left);
  ConvertBytes(
      *plan.bytes, plan.ends, tables,
      [&](std::string_view bytes) { done.bytes.append(bytes); },
      watch ? &*watch : nullptr);
  return done;
}

void WriteConversion(NewFile& file, const ReplacementNames& names,
                     const FormPlan& plan, const Tables& tables, FileSystem& fs,
                     FileReport* report, const Version8Finder* left,
                     std::future<ConvertedForm>* ahead) {
  WriteNewFile(file,
               [&](OutputFile& target, const FileSystem::Status& original) {
                 if (plan.bytes && ahead != nullptr && ahead->valid() &&
                     StillAsRead(original, plan.read)) {
                   ConvertedForm done = ahead->get();
                   target.Write(done.bytes);
                   if (report != nullptr) {
                     TakeFindings(*report, std::move(done.report));
                   }
                   return;
                 }
                 // The original is read under its own name while the new file
                 // is written: it keeps that name until the new file is
                 // complete.
                 std::optional<LineWatch> watch;
                 if (report != nullptr) watch.emplace(*report, false, left);
                 ConvertStream(
                     fs, names.target, plan.ends, tables,
                     [&](std::string_view bytes) { target.Write(bytes); },
                     watch ? &*watch : nullptr);
               });
}

FileSystem::Status RewriteForm(const ReplacementNames& names,
                               const FormPlan& plan, const Tables& tables,
                               FileSystem& fs, FileReport* report) {
  NewFile file = CreateNewFile(fs, names);
  WriteConversion(file, names, plan, tables, fs, report);
  return PutInPlace(fs, names, file);
}

FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs) {
  return ConvertFormAt(ResolveListedName(pth, fn, fs), tables, fs);
}

FormOutcome ConvertFormAt(const std::string& path, const Tables& tables,
                          FileSystem& fs) {
  const FormPlan plan = PlanForm(path, tables, fs);
  if (!plan.convert) return FormOutcome::kAlreadyConverted;
  ReplacementNames names = NamesOf(fs, path);
  CheckReplaceable(fs, names);
  RewriteForm(names, plan, tables, fs);
  return FormOutcome::kConverted;
}
