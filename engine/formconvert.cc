#include "engine/formconvert.h"

#include <algorithm>
#include <cstring>
#include <memory>
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
// lines are written on after a search for a byte or two.
class LineFilter {
 public:
  explicit LineFilter(const Tables& tables) {
    for (const ReplacementRow& row : tables.FormTable) Add(row.find);
    for (const ReplacementRow& row : tables.ClassTable) {
      Add(row.find);
      Add(LibraryPart(row.find));
    }
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
    } else if (anchors_.find(find[k]) == std::string::npos) {
      anchors_.push_back(find[k]);
    }
  }

  bool every_line_ = false;
  std::string anchors_;
};

}  // namespace

void ConvertFormLines(SourceReader& in, TargetWriter& out,
                      const Tables& tables) {
  const LineFilter filter(tables);
  std::string s;
  while (!in.AtEnd()) {
    in.ReadLine(s);
    const bool searched = filter.Admits(s);
    if (searched && ApplyTable(s, tables.FormTable)) {
      out.WriteLine(s);
    } else if (OpensBlock(s)) {
      ConvertControl(s, in, out, tables);
    } else {
      if (searched) ConvertCode(s, tables);
      out.WriteLine(s);
    }
  }
}

void ConvertControl(std::string& s, SourceReader& in, TargetWriter& out,
                    const Tables& tables) {
  // Blocks nest to any depth in hostile input, so the nesting is counted
  // rather than recursed into: the output is the same as a recursive walk's.
  ApplyTable(s, tables.ClassTable);
  out.WriteLine(s);
  size_t depth = 1;
  while (!in.AtEnd()) {
    in.ReadLine(s);
    // Most lines of a block are indented properties: trim each once, and
    // again only if a table changed it.
    std::string_view trimmed = TrimSpaces(s);
    if (StartsWithIgnoreCase(trimmed, kSectionOpen) &&
        ApplyTable(s, tables.PropTable)) {
      trimmed = TrimSpaces(s);
    }
    if (StartsWithIgnoreCase(trimmed, kBlockOpen)) {
      ApplyTable(s, tables.ClassTable);
      ++depth;
    } else if (EqualsIgnoreCase(trimmed, kBlockClose)) {
      --depth;
    }
    out.WriteLine(s);
    if (depth == 0) return;
  }
}

void ConvertCode(std::string& s, const Tables& tables) {
  for (const ReplacementRow& row : tables.ClassTable) {
    StringReplace(s, row.find, row.repl);
    // A library part is a prefix of its text, so it differs from the text
    // exactly when it is shorter.
    const std::string_view find_library = LibraryPart(row.find);
    if (find_library.size() == row.find.size()) continue;
    const std::string_view repl_library = LibraryPart(row.repl);
    if (repl_library.size() != row.repl.size()) {
      StringReplace(s, find_library, repl_library);
    }
  }
}

namespace {

constexpr size_t kReadChunk = 1 << 16;

void ScanFile(FileSystem& fs, const std::string& path, TextScan& scan) {
  InputFile in(fs, path);
  const auto buf = std::make_unique_for_overwrite<char[]>(kReadChunk);
  while (const size_t got = in.Read(buf.get(), kReadChunk)) {
    scan.Feed(std::string_view(buf.get(), got));
  }
  in.Close();
}

void ConvertStream(FileSystem& fs, const std::string& path, LineEnds ends,
                   const Tables& tables, const TargetWriter::Sink& sink) {
  InputFile source(fs, path);
  SourceReader in([&](char* buf, size_t n) { return source.Read(buf, n); },
                  ends);
  TargetWriter out(sink, ends);
  ConvertFormLines(in, out, tables);
  out.Flush();
  source.Close();
}

// Compares a stream of bytes with a file's, and stops the stream at the
// first difference.
class SameBytes {
 public:
  struct Differs {};

  SameBytes(FileSystem& fs, const std::string& path)
      : file_(fs, path),
        buf_(std::make_unique_for_overwrite<char[]>(kReadChunk)) {}

  void Compare(std::string_view bytes) {
    while (!bytes.empty()) {
      if (pos_ == len_ && !Fill()) throw Differs{};
      const size_t n = std::min(bytes.size(), len_ - pos_);
      if (std::memcmp(bytes.data(), buf_.get() + pos_, n) != 0) {
        throw Differs{};
      }
      pos_ += n;
      bytes.remove_prefix(n);
    }
  }
  bool AtEnd() { return pos_ == len_ && !Fill(); }

 private:
  bool Fill() {
    len_ = file_.Read(buf_.get(), kReadChunk);
    pos_ = 0;
    return len_ != 0;
  }

  InputFile file_;
  std::unique_ptr<char[]> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
};

// Whether path holds exactly the conversion of its backup: what a run
// stopped after converting it leaves.
bool IsConversionOfBackup(const std::string& path, const Tables& tables,
                          FileSystem& fs) {
  const std::string bak = path + kBackupSuffix;
  const FileSystem::Status backup = StatFile(fs, bak);
  if (backup.kind != FileSystem::Kind::kRegular) return false;
  const FileSystem::Status file = StatFile(fs, path);
  if (backup.device == file.device && backup.inode == file.inode) return false;
  TextScan ends_scan({});
  ScanFile(fs, bak, ends_scan);
  SameBytes same(fs, path);
  try {
    ConvertStream(fs, bak, LineEndsOf(ends_scan.has_cr(), ends_scan.has_lf()),
                  tables, [&](std::string_view bytes) { same.Compare(bytes); });
  } catch (const SameBytes::Differs&) {
    return false;
  }
  return same.AtEnd();
}

}  // namespace

FormPlan PlanForm(const std::string& path, const Tables& tables,
                  FileSystem& fs) {
  TextScan scan(Marks(tables));
  ScanFile(fs, path, scan);
  FormPlan plan;
  plan.ends = LineEndsOf(scan.has_cr(), scan.has_lf());
  plan.convert = !AlreadyConverted(scan, tables) &&
                 !IsConversionOfBackup(path, tables, fs);
  return plan;
}

FileSystem::Status RewriteForm(const std::string& path, const FormPlan& plan,
                               const Tables& tables, FileSystem& fs) {
  const ReplacementNames names = NamesOf(fs, path);
  // The original is read under its own name while the new file is written:
  // it keeps that name until the new file is complete.
  return Replace(fs, names, [&](OutputFile& target) {
    ConvertStream(fs, names.target, plan.ends, tables,
                  [&](std::string_view bytes) { target.Write(bytes); });
  });
}

FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs) {
  return ConvertFormAt(ResolveListedName(pth, fn, fs), tables, fs);
}

FormOutcome ConvertFormAt(const std::string& path, const Tables& tables,
                          FileSystem& fs) {
  const FormPlan plan = PlanForm(path, tables, fs);
  if (!plan.convert) return FormOutcome::kAlreadyConverted;
  CheckReplaceable(fs, NamesOf(fs, path));
  RewriteForm(path, plan, tables, fs);
  return FormOutcome::kConverted;
}
