#ifndef ENGINE_TEXTSCAN_H_
#define ENGINE_TEXTSCAN_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Learns, from a file's bytes fed in chunks of any size, which line ends it
// holds and which of a few texts occur in it (case ignored), matches across
// chunk borders included. Memory stays bounded by the longest text.
class TextScan {
 public:
  explicit TextScan(std::vector<std::string> needles);

  void Feed(std::string_view chunk);

  bool has_cr() const { return has_cr_; }
  bool has_lf() const { return has_lf_; }
  bool Found(size_t needle) const { return found_[needle]; }

 private:
  std::vector<std::string> needles_;
  std::vector<bool> found_;
  size_t longest_ = 0;
  std::string window_;  // the tail of the bytes seen so far, then a chunk
  bool has_cr_ = false;
  bool has_lf_ = false;
};

#endif  // ENGINE_TEXTSCAN_H_
