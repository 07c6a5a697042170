#include "engine/tables.h"

#include "engine/text.h"

Tables InitTables() {
  Tables t;
  // Version 8 identifiers are upper case, version 8c ones lower case, as the
  // development environment writes them.
  t.ProjTable = {
      {"Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx",
       "Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0; tbln8c.ocx"},
      {"Object={B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0; tblx8.ocx",
       "Object={9c4a07e3-51b8-4f2d-8e6a-d2c15f0b7a39}#8.0#0; tblx8c.ocx"},
  };
  t.FormTable = {
      {"Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
       "\"tbln8.ocx\"",
       "Object = \"{e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}#8.0#0\"; "
       "\"tbln8c.ocx\""},
      {"Object = \"{B3D07A21-94E5-4C18-A6F2-81E93C5D0B47}#8.0#0\"; "
       "\"tblx8.ocx\"",
       "Object = \"{9c4a07e3-51b8-4f2d-8e6a-d2c15f0b7a39}#8.0#0\"; "
       "\"tblx8c.ocx\""},
  };
  t.ClassTable = {
      {"Tabulon80", "Tabulon80c"},
      {"Tabulex80", "Tabulex80c"},
  };
  // Property sections need no change; the row keeps the table's place in
  // the block walk without altering any line.
  t.PropTable = {{"", ""}};
  return t;
}

bool StringReplace(std::string& s, std::string_view find,
                   std::string_view repl) {
  size_t at = FindIgnoreCase(s, find);
  if (at == std::string::npos) return false;
  std::string result;
  result.reserve(s.size() + repl.size());
  size_t done = 0;
  while (at != std::string::npos) {
    result.append(s, done, at - done);
    result.append(repl);
    done = at + find.size();
    at = FindIgnoreCase(s, find, done);
  }
  result.append(s, done, std::string::npos);
  // A replacement that differs only in letter case is no change at all.
  if (EqualsIgnoreCase(result, s)) return false;
  s.swap(result);
  return true;
}

bool ApplyTable(std::string& s, const ReplacementTable& table) {
  bool changed = false;
  for (const ReplacementRow& row : table) {
    if (StringReplace(s, row.find, row.repl)) changed = true;
  }
  return changed;
}
