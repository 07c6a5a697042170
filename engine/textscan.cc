#include "engine/textscan.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/linesieve.h"
#include "engine/text.h"

TextScan::TextScan(std::vector<std::string> needles, size_t decisive)
    : needles_(std::move(needles)),
      found_(needles_.size(), false),
      decisive_(decisive) {
  for (const std::string& needle : needles_) {
    longest_ = std::max(longest_, needle.size());
    rare_.push_back(RareByteOf(needle));
  }
}

void TextScan::Feed(std::string_view chunk) {
  if (!has_cr_) has_cr_ = chunk.find('\r') != std::string_view::npos;
  if (!has_lf_) has_lf_ = chunk.find('\n') != std::string_view::npos;
  if (settled_) return;
  // A text split by the border with the bytes before is whole in the last
  // few of those and the first few of the chunk; every other lies in the
  // chunk itself, which is searched where it is rather than copied.
  const size_t keep = longest_ > 0 ? longest_ - 1 : 0;
  if (!tail_.empty()) {
    std::string border = tail_;
    border.append(chunk.substr(0, keep));
    if (Search(border)) return;
  }
  if (Search(chunk)) return;
  if (chunk.size() >= keep) {
    tail_.assign(chunk.substr(chunk.size() - keep));
  } else {
    tail_.append(chunk);
    if (tail_.size() > keep) tail_.erase(0, tail_.size() - keep);
  }
}

// A chunk is searched for each needle by the needle's rarest byte, which
// most chunks hold far less often than its first letter.
bool TextScan::Search(std::string_view bytes) {
  for (size_t i = 0; i < needles_.size(); ++i) {
    if (found_[i] || !Holds(bytes, i)) continue;
    found_[i] = true;
    if (i < decisive_) {
      settled_ = true;
      tail_.clear();
      return true;
    }
  }
  return false;
}

bool TextScan::Holds(std::string_view bytes, size_t i) const {
  const std::string_view needle = needles_[i];
  const size_t k = rare_[i];
  if (k == std::string_view::npos) {
    return FindIgnoreCase(bytes, needle) != std::string_view::npos;
  }
  if (bytes.size() < needle.size()) return false;
  const char* const begin = bytes.data();
  const char* const last = begin + (bytes.size() - needle.size()) + k;
  for (const char* p = begin + k; p <= last; ++p) {
    p = static_cast<const char*>(
        std::memchr(p, needle[k], static_cast<size_t>(last - p) + 1));
    if (p == nullptr) return false;
    if (StartsWithIgnoreCase(std::string_view(p - k, needle.size()), needle)) {
      return true;
    }
  }
  return false;
}
