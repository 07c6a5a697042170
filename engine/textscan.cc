#include "engine/textscan.h"

#include <algorithm>
#include <utility>

#include "engine/text.h"

TextScan::TextScan(std::vector<std::string> needles, size_t decisive)
    : needles_(std::move(needles)),
      found_(needles_.size(), false),
      decisive_(decisive) {
  for (size_t i = 0; i < needles_.size(); ++i) {
    const std::string& needle = needles_[i];
    longest_ = std::max(longest_, needle.size());
    if (needle.empty()) continue;  // matches nothing
    auto group = std::find_if(groups_.begin(), groups_.end(), [&](auto& g) {
      return FoldCase(needles_[g.front()].front()) == FoldCase(needle.front());
    });
    if (group == groups_.end()) {
      groups_.push_back({i});
    } else {
      group->push_back(i);
    }
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

// Needles that start with the same letter are looked for in one pass: the
// marks of a form share their first bytes, and a pass costs the same
// however many needles it serves.
bool TextScan::Search(std::string_view bytes) {
  for (const std::vector<size_t>& group : groups_) {
    const std::string_view first(needles_[group.front()].data(), 1);
    for (size_t at = FindIgnoreCase(bytes, first); at != std::string::npos;
         at = FindIgnoreCase(bytes, first, at + 1)) {
      for (const size_t i : group) {
        if (found_[i] || !StartsWithIgnoreCase(bytes.substr(at), needles_[i])) {
          continue;
        }
        found_[i] = true;
        if (i < decisive_) {
          settled_ = true;
          tail_.clear();
          return true;
        }
      }
    }
  }
  return false;
}
