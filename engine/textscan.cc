#include "engine/textscan.h"

#include <algorithm>
#include <utility>

#include "engine/text.h"

TextScan::TextScan(std::vector<std::string> needles)
    : needles_(std::move(needles)), found_(needles_.size(), false) {
  for (const std::string& needle : needles_) {
    longest_ = std::max(longest_, needle.size());
  }
}

void TextScan::Feed(std::string_view chunk) {
  if (!has_cr_) has_cr_ = chunk.find('\r') != std::string_view::npos;
  if (!has_lf_) has_lf_ = chunk.find('\n') != std::string_view::npos;
  // Keep just enough of the previous bytes that a text split by the chunk
  // border is still seen whole.
  const size_t keep = longest_ > 0 ? longest_ - 1 : 0;
  if (window_.size() > keep) window_.erase(0, window_.size() - keep);
  window_.append(chunk);
  for (size_t i = 0; i < needles_.size(); ++i) {
    if (!found_[i] &&
        FindIgnoreCase(window_, needles_[i]) != std::string::npos) {
      found_[i] = true;
    }
  }
}
