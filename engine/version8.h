#ifndef ENGINE_VERSION8_H_
#define ENGINE_VERSION8_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/linesieve.h"
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
  // The texts looked for.
  std::vector<std::string_view> Texts() const;

 private:
  struct Text {
    std::string find;
    std::string unless;  // a match that starts this is none
  };
  void Add(std::string find, std::string unless = std::string());
  void Sieve();  // once every text is added

  std::vector<Text> texts_;
  LineSieve sieve_;
};

#endif  // ENGINE_VERSION8_H_
