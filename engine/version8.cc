#include "engine/version8.h"

#include <algorithm>
#include <cstring>

#include "engine/text.h"

Version8Finder Version8Finder::Libraries(const Tables& tables) {
  Version8Finder finder;
  // A project table row reads Object={identifier}#version; file name.
  for (const ReplacementRow& row : tables.ProjTable) {
    const std::string_view find = row.find;
    const size_t open = find.find('{');
    const size_t close = find.find('}', open);
    if (open != std::string_view::npos && close != std::string_view::npos) {
      finder.Add(std::string(find.substr(open + 1, close - open - 1)));
    }
    const size_t file = find.rfind("; ");
    if (file != std::string_view::npos) {
      finder.Add(std::string(find.substr(file + 2)));
    }
  }
  return finder;
}

Version8Finder Version8Finder::Everything(const Tables& tables) {
  Version8Finder finder = Libraries(tables);
  for (const ReplacementRow& row : tables.ClassTable) {
    // Only a version 8c name that extends its version 8 one can hide it.
    finder.Add(row.find,
               StartsWithIgnoreCase(row.repl, row.find) ? row.repl : "");
  }
  return finder;
}

void Version8Finder::Add(std::string find, std::string unless) {
  if (find.empty()) return;
  const size_t k = AnchorOf(find);
  if (k == std::string::npos) {
    every_line_ = true;
  } else if (anchors_.find(find[k]) == std::string::npos) {
    anchors_.push_back(find[k]);
  }
  texts_.push_back({std::move(find), std::move(unless), {}});
  ChooseShared();
}

// Looking for one byte that every text holds is a single scan of the line,
// and lines that hold none of the texts are most of them.
void Version8Finder::ChooseShared() {
  shared_ = -1;
  longest_reach_ = 0;
  for (const char c : texts_.front().find) {
    const char folded = FoldCase(c);
    if (folded >= 'a' && folded <= 'z') continue;  // either case would do
    bool everywhere = true;
    for (const Text& text : texts_) {
      everywhere = everywhere && text.find.find(c) != std::string::npos;
    }
    if (everywhere) {
      shared_ = static_cast<unsigned char>(c);
      break;
    }
  }
  for (Text& text : texts_) {
    text.shared_at.clear();
    for (size_t i = 0; shared_ >= 0 && i < text.find.size(); ++i) {
      if (static_cast<unsigned char>(text.find[i]) == shared_) {
        text.shared_at.push_back(i);
        longest_reach_ = std::max(longest_reach_, i);
      }
    }
  }
}

bool Version8Finder::MatchesAt(const Text& text, std::string_view s,
                               size_t at) const {
  const std::string_view rest = s.substr(at);
  // Most candidates fail at their first byte, which is cheap to look at.
  if (rest.size() < text.find.size() ||
      FoldCase(rest.front()) != FoldCase(text.find.front())) {
    return false;
  }
  return StartsWithIgnoreCase(rest, text.find) &&
         (text.unless.empty() || !StartsWithIgnoreCase(rest, text.unless));
}

// Every match holds the shared byte at one of its text's offsets; the first
// match is the one that starts first, and one that starts at or before a
// match found already holds its byte at most longest_reach_ further on.
size_t Version8Finder::FindByShared(std::string_view s) const {
  const char c = static_cast<char>(shared_);
  size_t first = std::string_view::npos;
  for (size_t p = s.find(c); p != std::string_view::npos;
       p = s.find(c, p + 1)) {
    if (first != std::string_view::npos && p > first + longest_reach_) break;
    for (const Text& text : texts_) {
      for (const size_t offset : text.shared_at) {
        if (offset > p) break;
        const size_t at = p - offset;
        if (at < first && MatchesAt(text, s, at)) first = at;
      }
    }
  }
  return first;
}

std::optional<std::string> Version8Finder::Anchors() const {
  if (shared_ >= 0) return std::string(1, static_cast<char>(shared_));
  if (every_line_) return std::nullopt;
  return anchors_;
}

size_t Version8Finder::Find(std::string_view s) const {
  if (shared_ >= 0) return FindByShared(s);
  if (!every_line_) {
    bool anchored = false;
    for (char c : anchors_) {
      if (std::memchr(s.data(), c, s.size()) != nullptr) {
        anchored = true;
        break;
      }
    }
    if (!anchored) return std::string_view::npos;
  }
  size_t first = std::string_view::npos;
  for (const Text& text : texts_) {
    for (size_t at = FindIgnoreCase(s, text.find); at < first;
         at = FindIgnoreCase(s, text.find, at + 1)) {
      if (text.unless.empty() ||
          !StartsWithIgnoreCase(s.substr(at), text.unless)) {
        first = at;
        break;
      }
    }
  }
  return first;
}
