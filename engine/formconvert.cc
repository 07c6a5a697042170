#include "engine/formconvert.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "engine/backup.h"
#include "engine/files.h"
#include "engine/listedname.h"
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

FormOutcome ConvertForm(const std::string& pth, const std::string& fn,
                        const Tables& tables, FileSystem& fs) {
  return ConvertFormAt(ResolveListedName(pth, fn, fs), tables, fs);
}

FormOutcome ConvertFormAt(const std::string& path, const Tables& tables,
                          FileSystem& fs) {
  const std::string bak = path + ".bak";
  TextScan scan(Marks(tables));
  Backup backup(fs, path, bak,
                [&](std::string_view chunk) { scan.Feed(chunk); });
  if (AlreadyConverted(scan, tables)) {
    backup.Discard();
    return FormOutcome::kAlreadyConverted;
  }
  backup.Commit();

  const LineEnds ends = LineEndsOf(scan.has_cr(), scan.has_lf());
  InputFile source(fs, bak);
  RewriteBackedUp(fs, path, bak, backup.permissions(), [&](OutputFile& target) {
    SourceReader in([&](char* buf, size_t n) { return source.Read(buf, n); },
                    ends);
    TargetWriter out([&](std::string_view bytes) { target.Write(bytes); },
                     ends);
    ConvertFormLines(in, out, tables);
    out.Flush();
  });
  source.Close();
  return FormOutcome::kConverted;
}
