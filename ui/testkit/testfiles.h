#ifndef UI_TESTKIT_TESTFILES_H_
#define UI_TESTKIT_TESTFILES_H_

#include <QFile>
#include <QString>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// Files of a test tree, as bytes. Paths are relative to root.
inline std::filesystem::path TestPath(const QString& root, const char* name) {
  return std::filesystem::path(QFile::encodeName(root).toStdString()) / name;
}

inline void WriteTestFile(const QString& root, const char* name,
                          const std::string& bytes) {
  const std::filesystem::path path = TestPath(root, name);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadTestFile(const QString& root, const char* name) {
  std::ifstream in(TestPath(root, name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool TestFileExists(const QString& root, const char* name) {
  return std::filesystem::exists(TestPath(root, name));
}

// The canonical form, as the window shows folders.
inline std::string TestFolder(const QString& root, const char* name = "") {
  return std::filesystem::canonical(TestPath(root, name)).string();
}

#endif  // UI_TESTKIT_TESTFILES_H_
