#include "engine/formconvert.h"

#include <string_view>
#include <vector>

#include "engine/text.h"

namespace {

constexpr std::string_view kBlockOpen = "Begin ";
constexpr std::string_view kSectionOpen = "BeginProperty ";
constexpr std::string_view kBlockClose = "End";

// The first byte after the indent, case folded. Only a line whose first word
// starts with a B or an E can open or close a block, and most lines of a
// form set a property or hold code: this tells them without trimming them.
char Lead(std::string_view s) {
  s = TrimLeadingSpaces(s);
  return s.empty() ? ' ' : FoldCase(s.front());
}

bool OpensBlock(std::string_view s) {
  return Lead(s) == 'b' && StartsWithIgnoreCase(TrimSpaces(s), kBlockOpen);
}

// Up to and including the first full stop, or all of s.
std::string_view LibraryPart(std::string_view s) {
  const size_t dot = s.find('.');
  return dot == std::string_view::npos ? s : s.substr(0, dot + 1);
}

// The texts of the tables that apply outside the blocks, and those the
// watch looks for there: a line that holds none of them goes out as it
// came in, and the watch need not look at it.
std::vector<std::string_view> OutsideTexts(const Tables& tables,
                                           const LineWatch* watch) {
  std::vector<std::string_view> texts;
  for (const ReplacementRow& row : tables.FormTable) texts.push_back(row.find);
  for (const ReplacementRow& row : tables.ClassTable) {
    texts.push_back(row.find);
    texts.push_back(LibraryPart(row.find));
  }
  if (watch != nullptr && watch->left() != nullptr) {
    for (const std::string_view text : watch->left()->Texts()) {
      texts.push_back(text);
    }
  }
  return texts;
}

}  // namespace

FormLines::FormLines(const Tables& tables, LineWatch* watch)
    : tables_(tables), watch_(watch), sieve_(OutsideTexts(tables, watch)) {}

void FormLines::Convert(std::string_view line, TargetWriter& out) {
  if (watch_ != nullptr) watch_->Read(line);
  if (depth_ == 0) {
    ConvertOutside(line, out);
  } else {
    ConvertInside(line, out);
  }
}

// Most lines go out as they came in: a line is copied only where a table
// may change it.
std::string& FormLines::Editable(std::string_view line) {
  if (line.data() != s_.data()) s_.assign(line);
  return s_;
}

void FormLines::OpenBlock(std::string_view line, TargetWriter& out) {
  std::string& s = Editable(line);
  const bool changed = ApplyTable(s, tables_.ClassTable);
  depth_ = 1;
  Write(s, out, changed, false);
}

// A line the sieve stops holds none of the tables' texts, so no row would
// change it, nor any text the watch looks for.
void FormLines::ConvertOutside(std::string_view line, TargetWriter& out) {
  if (!sieve_.MayHold(line)) {
    if (OpensBlock(line)) {
      OpenBlock(line, out);
    } else {
      Write(line, out, false, false);
    }
    return;
  }
  std::string& s = Editable(line);
  if (ApplyTable(s, tables_.FormTable)) {
    Write(s, out, true, true);
  } else if (OpensBlock(s)) {
    OpenBlock(s, out);
  } else {
    const bool changed = ConvertCode(s, tables_);
    Write(s, out, changed, true);
  }
}

// A table may change the line, so what it starts with is judged again
// after each.
void FormLines::ConvertInside(std::string_view line, TargetWriter& out) {
  const char lead = Lead(line);
  if (lead != 'b' && lead != 'e') {
    Write(line, out, false, false);
    return;
  }
  bool changed = false;
  std::string_view trimmed = TrimSpaces(line);
  if (StartsWithIgnoreCase(trimmed, kSectionOpen)) {
    std::string& s = Editable(line);
    changed = ApplyTable(s, tables_.PropTable);
    line = s;
    trimmed = TrimSpaces(line);
  }
  if (StartsWithIgnoreCase(trimmed, kBlockOpen)) {
    std::string& s = Editable(line);
    if (ApplyTable(s, tables_.ClassTable)) changed = true;
    line = s;
    ++depth_;
  } else if (EqualsIgnoreCase(trimmed, kBlockClose)) {
    --depth_;
  }
  Write(line, out, changed, false);
}

void FormLines::Write(std::string_view s, TargetWriter& out, bool changed,
                      bool may_name) {
  out.WriteLine(s);
  if (watch_ != nullptr) watch_->Wrote(s, changed, may_name);
}

void ConvertFormLines(SourceReader& in, TargetWriter& out, const Tables& tables,
                      LineWatch* watch) {
  FormLines lines(tables, watch);
  std::string spill;
  while (!in.AtEnd()) lines.Convert(in.NextLine(spill), out);
}

void ConvertControl(std::string_view s, SourceReader& in, TargetWriter& out,
                    const Tables& tables, LineWatch* watch) {
  FormLines lines(tables, watch);
  lines.OpenBlock(s, out);
  std::string spill;
  while (lines.InBlock() && !in.AtEnd()) lines.Convert(in.NextLine(spill), out);
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
