// A conversion runs in a process of its own and is killed with SIGKILL at
// many points; each time the tree must keep the promise of CheckTree.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"

namespace {

// Starts the driver on path, converting or restoring; kill_at 0 lets it
// run to its end.
pid_t Start(const std::string& path, size_t kill_at, bool restore = false) {
  const std::string at = std::to_string(kill_at);
  const char* mode = restore ? "--restore" : path.c_str();
  const char* first = restore ? path.c_str() : nullptr;
  const char* second = kill_at == 0 ? nullptr : at.c_str();
  const pid_t pid = fork();
  if (pid == 0) {
    if (first == nullptr) std::swap(first, second);
    execl(CONVERT_DRIVER, CONVERT_DRIVER, mode, first, second, nullptr);
    _exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return status;
}

bool Finished(int status) {
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Killed(int status) {
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class Kill : public ::testing::Test {
 protected:
  // Plants sample, and converts a copy of it to the end in the driver.
  void Prepare(const Tree& sample) {
    TempDir dir;
    WriteTree(dir.path(), sample);
    before = ReadTree(dir.path());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Finished(Wait(Start(dir.path(), 0))));
    full_run = std::chrono::steady_clock::now() - start;
    converted = ReadTree(dir.path());
    ASSERT_EQ(std::vector<std::string>{},
              CheckTree(before, converted, converted, false));
    ASSERT_NE(before, converted);
  }

  // The promise holds after the kill, and converting again finishes the
  // work: the listed files are written before their project file, so a
  // project stopped half way is still one to convert.
  void ExpectKept(const TempDir& dir, const std::string& when) {
    EXPECT_EQ(std::vector<std::string>{},
              CheckTree(before, ReadTree(dir.path()), converted, true))
        << when;
    ASSERT_TRUE(Finished(Wait(Start(dir.path(), 0)))) << when;
    EXPECT_EQ(converted, ReadTree(dir.path())) << when << ", run again";
  }

  Tree before;
  Tree converted;
  std::chrono::steady_clock::duration full_run{};
};

TEST_F(Kill, AtEveryFileOperationOfABatch) {
  Prepare(SampleBatch());
  size_t kills = 0;
  for (size_t k = 1;; ++k) {
    TempDir dir;
    WriteTree(dir.path(), before);
    const int status = Wait(Start(dir.path(), k));
    if (Finished(status)) break;
    ASSERT_TRUE(Killed(status)) << "operation " << k << ", status " << status;
    ++kills;
    ExpectKept(dir, "killed before operation " + std::to_string(k));
  }
  std::printf("killed before each of %zu operations\n", kills);
  EXPECT_GT(kills, 100u);
}

// A restore only renames: killed anywhere, it leaves every name with its
// converted or its original bytes, and a second restore finishes it.
TEST_F(Kill, AtEveryFileOperationOfARestore) {
  Prepare(SampleBatch());
  size_t kills = 0;
  for (size_t k = 1;; ++k) {
    TempDir dir;
    WriteTree(dir.path(), converted);
    const int status = Wait(Start(dir.path(), k, true));
    if (Finished(status)) break;
    ASSERT_TRUE(Killed(status)) << "operation " << k << ", status " << status;
    ++kills;
    EXPECT_EQ(std::vector<std::string>{},
              CheckRestoredTree(before, converted, ReadTree(dir.path())))
        << "killed before operation " << k;
    ASSERT_TRUE(Finished(Wait(Start(dir.path(), 0, true)))) << k;
    EXPECT_EQ(before, ReadTree(dir.path())) << "killed before " << k;
  }
  std::printf("restore killed before each of %zu operations\n", kills);
  EXPECT_GT(kills, 50u);
}

TEST_F(Kill, AfterRandomDelays) {
  // Forms of half a megabyte give the kill time to land inside a copy or a
  // rewrite, between the operations the test above stops at.
  Prepare(SampleBatch(1 << 19));
  std::mt19937 random(4);
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
      full_run + full_run / 4);
  // How many kills land inside the conversion rather than in the process's
  // start-up depends on the machine's load, so the loop goes on until a
  // number of them did, within a bound.
  constexpr size_t kWanted = 20;
  constexpr int kMostTries = 150;
  size_t mid_run = 0;
  int tries = 0;
  for (; tries < kMostTries && mid_run < kWanted; ++tries) {
    TempDir dir;
    WriteTree(dir.path(), before);
    const auto delay = std::chrono::microseconds(
        random() % static_cast<unsigned>(span.count() + 1));
    const pid_t pid = Start(dir.path(), 0);
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    const int status = Wait(pid);
    ASSERT_TRUE(Finished(status) || Killed(status)) << status;
    if (Killed(status)) ++mid_run;
    ExpectKept(dir, "killed after " + std::to_string(delay.count()) + " us");
  }
  std::printf("killed %zu of %d runs while they converted\n", mid_run, tries);
  EXPECT_GT(mid_run, 0u);
}

}  // namespace
