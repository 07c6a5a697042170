// Form conversion of arbitrary bytes: it never crashes, the output has as
// many lines as the input, every line ends in the file's terminator, and a
// line changes only by one of the tables, so only where a find text of one
// occurs in it. The bytes come in chunks of any size, and the result may not
// depend on where the chunks break.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/formconvert.h"
#include "engine/lines.h"
#include "engine/tables.h"
#include "engine/text.h"

namespace {

const Tables kTables = InitTables();

std::string Convert(std::string_view text, LineEnds ends, size_t chunk) {
  size_t pos = 0;
  SourceReader in(
      [&](char* buf, size_t n) {
        const size_t k = std::min({n, chunk, text.size() - pos});
        std::memcpy(buf, text.data() + pos, k);
        pos += k;
        return k;
      },
      ends);
  std::string out;
  TargetWriter writer([&](std::string_view b) { out.append(b); }, ends);
  ConvertFormLines(in, writer, kTables);
  writer.Flush();
  return out;
}

// The lines of text, split by the rule of its line ends.
std::vector<std::string> Lines(std::string_view text, LineEnds ends) {
  std::vector<std::string> lines;
  const char end = ends == LineEnds::kLf ? '\n' : '\r';
  size_t i = 0;
  while (i < text.size()) {
    const size_t stop = text.find(end, i);
    if (stop == std::string_view::npos) {
      lines.emplace_back(text.substr(i));
      break;
    }
    lines.emplace_back(text.substr(i, stop - i));
    i = stop + 1;
    if (ends == LineEnds::kCr && i < text.size() && text[i] == '\n') ++i;
  }
  return lines;
}

bool HasFindText(const std::string& line) {
  for (const ReplacementTable* table :
       {&kTables.FormTable, &kTables.ClassTable}) {
    for (const ReplacementRow& row : *table) {
      if (FindIgnoreCase(line, row.find) != std::string::npos) return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the chunk size; the rest is the file.
  const size_t chunk = 1 + data[0] % 16;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1,
                              size - 1);
  const LineEnds ends = LineEndsOf(text.find('\r') != std::string_view::npos,
                                   text.find('\n') != std::string_view::npos);
  const std::string out = Convert(text, ends, 1 << 20);
  if (Convert(text, ends, chunk) != out) std::abort();

  const std::string_view term = Terminator(ends);
  if (!out.empty() && out.substr(out.size() - term.size()) != term) {
    std::abort();
  }
  const std::vector<std::string> in_lines = Lines(text, ends);
  const std::vector<std::string> out_lines = Lines(out, ends);
  if (in_lines.size() != out_lines.size()) std::abort();
  for (size_t i = 0; i < in_lines.size(); ++i) {
    const std::string& was = in_lines[i];
    const std::string& is = out_lines[i];
    if (is == was) continue;
    if (!HasFindText(was)) std::abort();
    std::string by_form = was;
    std::string by_class = was;
    ApplyTable(by_form, kTables.FormTable);
    ApplyTable(by_class, kTables.ClassTable);
    if (is != by_form && is != by_class) std::abort();
  }
  return 0;
}
