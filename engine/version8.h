#ifndef ENGINE_VERSION8_H_
#define ENGINE_VERSION8_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tables.h"

// Finds, case ignored, the version 8 texts that a line still holds where
// the conversion does not reach: what the user is left to fix.
class Version8Finder {
 public:
  // The library identifiers and file names of the project table: what a
  // converted form or project file may still hold outside what the tables
  // match.
  static Version8Finder Libraries(const Tables& tables);
  // Those and the class table's library names, each unless it is the start
  // of its version 8c name ("Tabulon80" but not "Tabulon80c"): what a file
  // the tool only reads may hold anywhere.
  static Version8Finder Everything(const Tables& tables);

  // Where in s the first of the texts starts, or npos.
  size_t Find(std::string_view s) const;

  // Bytes of which every match holds one, so that a line without any of
  // them holds none of the texts; none when a text has letters only.
  std::optional<std::string> Anchors() const;

 private:
  struct Text {
    std::string find;
    std::string unless;             // a match that starts this is none
    std::vector<size_t> shared_at;  // where find holds shared_
  };
  void Add(std::string find, std::string unless = std::string());
  void ChooseShared();
  bool MatchesAt(const Text& text, std::string_view s, size_t at) const;
  size_t FindByShared(std::string_view s) const;

  std::vector<Text> texts_;
  std::string anchors_;  // a line without any of these holds no text
  bool every_line_ = false;
  // A byte other than a letter that every text holds, if there is one: most
  // lines hold none of the texts, and one scan for it tells so, where one
  // scan per text would take several.
  int shared_ = -1;
  size_t longest_reach_ = 0;  // the farthest shared_ lies into a text
};

#endif  // ENGINE_VERSION8_H_
