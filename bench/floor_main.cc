// The write path alone: for every project, form and user-control file below
// ROOT, reads it, writes its bytes to a new file beside it, gives the
// original its backup's name as a second name and renames the new file over
// it, one file after another, with no check and no conversion. What the
// engine's batch costs beyond this is its own; this much the way it keeps
// every original costs on the file system at hand.
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool Listed(const std::filesystem::path& path) {
  const std::string ext = path.extension().string();
  for (const char* listed : {".vbp", ".frm", ".ctl"}) {
    if (strcasecmp(ext.c_str(), listed) == 0) return true;
  }
  return false;
}

bool Rewrite(const std::string& path, std::string& bytes) {
  struct stat st;
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0 || ::fstat(in, &st) != 0) return false;
  bytes.resize(static_cast<size_t>(st.st_size));
  const ssize_t got = ::read(in, bytes.data(), bytes.size());
  ::close(in);
  const std::string temp = path + ".new~";
  const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                         st.st_mode & 07777);
  if (got != st.st_size || out < 0) return false;
  const bool written = ::write(out, bytes.data(), bytes.size()) == got;
  return ::close(out) == 0 && written &&
         ::link(path.c_str(), (path + ".bak").c_str()) == 0 &&
         ::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ROOT\n", argv[0]);
    return 2;
  }
  std::vector<std::string> paths;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(argv[1])) {
    if (entry.is_regular_file() && Listed(entry.path())) {
      paths.push_back(entry.path().string());
    }
  }
  std::string bytes;
  for (const std::string& path : paths) {
    if (!Rewrite(path, bytes)) {
      std::perror(path.c_str());
      return 1;
    }
  }
  std::printf("files=%zu messages=0\n", paths.size());
  return 0;
}
