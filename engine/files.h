#ifndef ENGINE_FILES_H_
#define ENGINE_FILES_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "engine/filesystem.h"

// The error every failing file operation ends in: the platform's error
// number, its text and the path involved. err is what the failing call
// returned; a cause is one the engine found on its own (see EngineError).
[[noreturn]] void ThrowFileError(const char* operation, const std::string& path,
                                 std::error_code err);
[[noreturn]] void ThrowFileError(const char* operation, const std::string& path,
                                 std::errc cause);

// A listed file that holds part of the conversion of its backup, zero bytes
// where the rest should be or nothing at all: what a power cut leaves of a
// file just written, whose original is in that backup.
std::error_code CutFileError();

// A listed file that changed between the check before writing and its turn,
// and again after it was planned anew: it is left as it is.
std::error_code ChangedFileError();
// The same for a restore: the file is left as it is.
std::error_code RestoreChangedError();

// An open input file. Reading past the end returns 0.
class InputFile {
 public:
  InputFile(FileSystem& fs, const std::string& path);
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();  // closes quietly if Close was not reached

  size_t Read(char* buf, size_t n);
  FileSystem::Status Status();  // of the file opened, as it is now
  void Close();

 private:
  FileSystem& fs_;
  std::string path_;
  int fd_ = -1;
};

// A new output file, created when opened; a name already taken is an error.
class OutputFile {
 public:
  OutputFile(FileSystem& fs, const std::string& path, unsigned permissions);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  void Write(std::string_view bytes);
  // Gives the file what it can of from's owner, rights and attributes.
  // status is from's, just looked up.
  void TakeMetadataOf(const std::string& from,
                      const FileSystem::Status& status);
  FileSystem::Status Status();  // of the file as written so far
  void Sync();                  // returns once the bytes written are on disk
  // A close can report a write that failed late (a full disk, a network
  // share), so it is checked like any write.
  void Close();

 private:
  FileSystem& fs_;
  std::string path_;
  int fd_ = -1;
};

FileSystem::Status StatFile(FileSystem& fs, const std::string& path);
// The status of the name itself: a final symbolic link is not followed.
FileSystem::Status StatName(FileSystem& fs, const std::string& path);

// The status of a file about to be read, and maybe backed up and rewritten;
// throws unless it is a regular file: a folder cannot be read as one, and a
// pipe or a device would keep the reader waiting or never end.
FileSystem::Status CheckListed(FileSystem& fs, const std::string& path);
// The same for the status that path's lookup just gave.
FileSystem::Status CheckListed(const std::string& path,
                               const FileSystem::Status& status);
std::string ReadWholeFile(FileSystem& fs, const std::string& path);

// Hands the bytes of the file at path to take, chunk by chunk, in bounded
// memory, until the end or until take returns false.
void ReadChunks(FileSystem& fs, const std::string& path,
                const std::function<bool(std::string_view chunk)>& take);

#endif  // ENGINE_FILES_H_
