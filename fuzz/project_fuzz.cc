// The scan of a project text for the files it lists: it never crashes, and
// every name it finds ends in ".frm" or ".ctl" (case ignored) and stands in
// the text right after its "Form=" or "UserControl=".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/projectconvert.h"
#include "engine/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t keys = 0;
  for (std::string_view key : {"Form=", "UserControl="}) {
    for (size_t t = FindIgnoreCase(text, key); t != std::string_view::npos;
         t = FindIgnoreCase(text, key, t + 1)) {
      ++keys;
    }
  }
  const std::vector<std::string> names = ListedFiles(text);
  if (names.size() > keys) std::abort();
  for (const std::string& name : names) {
    const std::string_view ext =
        std::string_view(name).substr(name.size() < 4 ? 0 : name.size() - 4);
    const bool form = EqualsIgnoreCase(ext, ".frm");
    if (!form && !EqualsIgnoreCase(ext, ".ctl")) std::abort();
    if (FindIgnoreCase(text, (form ? "Form=" : "UserControl=") + name) ==
        std::string_view::npos) {
      std::abort();
    }
  }
  return 0;
}
