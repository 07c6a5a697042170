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
  // The first `decisive` needles settle the scan: once one of them is found,
  // whether the others occur no longer matters, and the rest of the bytes
  // are only looked at for their line ends.
  explicit TextScan(std::vector<std::string> needles, size_t decisive = 0);

  void Feed(std::string_view chunk);

  bool has_cr() const { return has_cr_; }
  bool has_lf() const { return has_lf_; }
  // Whether the needle occurs; after a decisive needle settled the scan,
  // false for any other that was not found before.
  bool Found(size_t needle) const { return found_[needle]; }
  // Whether further bytes can change nothing a plan takes from the scan:
  // it is settled, and a CR makes the line ends written CR LF whatever
  // follows.
  bool Decided() const { return settled_ && has_cr_; }

 private:
  // Looks for the needles not yet found in bytes; true once settled.
  bool Search(std::string_view bytes);
  bool Holds(std::string_view bytes, size_t i) const;

  std::vector<std::string> needles_;
  std::vector<size_t> rare_;  // each needle's RareByteOf
  std::vector<bool> found_;
  size_t decisive_;
  bool settled_ = false;
  size_t longest_ = 0;
  std::string tail_;  // the last bytes seen, one fewer than the longest needle
  bool has_cr_ = false;
  bool has_lf_ = false;
};

#endif  // ENGINE_TEXTSCAN_H_
