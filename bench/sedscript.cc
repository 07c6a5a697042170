#include "bench/sedscript.h"

namespace {

constexpr char kDelimiter = '/';

std::string Escape(std::string_view s, std::string_view special) {
  std::string out;
  for (char c : s) {
    if (c == kDelimiter || special.find(c) != std::string_view::npos) {
      out.push_back('\\');
    }
    out.push_back(c);
  }
  return out;
}

void AddRows(const ReplacementTable& table, std::string& script) {
  for (const ReplacementRow& row : table) {
    if (row.find.empty()) continue;
    script +=
        "s/" + SedPattern(row.find) + "/" + SedReplacement(row.repl) + "/gI\n";
  }
}

}  // namespace

std::string SedPattern(std::string_view find) {
  // GNU basic expressions: these are the bytes that mean something unescaped.
  return Escape(find, "\\.*[]^$");
}

std::string SedReplacement(std::string_view repl) {
  return Escape(repl, "\\&\n");
}

std::string SedScript(const Tables& tables) {
  std::string script;
  AddRows(tables.ProjTable, script);
  AddRows(tables.FormTable, script);
  AddRows(tables.ClassTable, script);
  return script;
}
