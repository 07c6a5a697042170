#include "engine/version8.h"

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
  finder.Sieve();
  return finder;
}

Version8Finder Version8Finder::Everything(const Tables& tables) {
  Version8Finder finder = Libraries(tables);
  for (const ReplacementRow& row : tables.ClassTable) {
    // Only a version 8c name that extends its version 8 one can hide it.
    finder.Add(row.find,
               StartsWithIgnoreCase(row.repl, row.find) ? row.repl : "");
  }
  finder.Sieve();
  return finder;
}

void Version8Finder::Add(std::string find, std::string unless) {
  if (find.empty()) return;
  texts_.push_back({std::move(find), std::move(unless)});
}

std::vector<std::string_view> Version8Finder::Texts() const {
  std::vector<std::string_view> finds;
  for (const Text& text : texts_) finds.push_back(text.find);
  return finds;
}

void Version8Finder::Sieve() { sieve_ = LineSieve(Texts()); }

size_t Version8Finder::Find(std::string_view s) const {
  if (!sieve_.MayHold(s)) return std::string_view::npos;
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
