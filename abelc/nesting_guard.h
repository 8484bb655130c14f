// Counts how deep a recursive reader is, for as long as one level lasts:
// readers of nested input stop at a limit instead of overflowing the stack.
#pragma once

namespace abelc {

class NestingGuard {
 public:
  explicit NestingGuard(int& depth) : depth_(depth) { ++depth_; }
  ~NestingGuard() { --depth_; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace abelc
