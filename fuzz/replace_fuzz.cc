// StringReplace against a plain reading of its rule: every match of find,
// left to right, case ignored for ASCII letters only, never overlapping nor
// searched again once replaced; no change when the result differs from the
// input in letter case alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/tables.h"

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

bool SameLetters(const std::string& a, size_t at, const std::string& b) {
  if (a.size() - at < b.size()) return false;
  for (size_t i = 0; i < b.size(); ++i) {
    if (Fold(a[at + i]) != Fold(b[i])) return false;
  }
  return true;
}

bool PlainReplace(std::string& s, const std::string& find,
                  const std::string& repl) {
  if (find.empty()) return false;
  std::string out;
  for (size_t i = 0; i < s.size();) {
    if (SameLetters(s, i, find)) {
      out += repl;
      i += find.size();
    } else {
      out += s[i++];
    }
  }
  if (out.size() == s.size() && SameLetters(out, 0, s)) return false;
  s = out;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string find = input.ConsumeRandomLengthString(24);
  const std::string repl = input.ConsumeRandomLengthString(24);
  const std::string s = input.ConsumeRemainingBytesAsString();
  std::string engine = s;
  std::string plain = s;
  const bool engine_changed = StringReplace(engine, find, repl);
  const bool plain_changed = PlainReplace(plain, find, repl);
  if (engine_changed != plain_changed || engine != plain) std::abort();
  if (!engine_changed && engine != s) std::abort();
  return 0;
}
