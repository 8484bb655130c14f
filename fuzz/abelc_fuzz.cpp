// Any text as an ABEL design through the whole compiler; fuzz/abelc_session.h
// says what counts as a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/abelc_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string finding = CompileFuzzedDesign(std::string(reinterpret_cast<const char*>(data), size));
  if (!finding.empty()) {
    std::fprintf(stderr, "%s\n", finding.c_str());
    std::abort();
  }
  return 0;
}
