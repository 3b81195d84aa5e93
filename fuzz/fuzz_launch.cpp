// libFuzzer entry point: every input through reliability::CheckLaunch; a finding aborts.
#include <cstdio>
#include <cstdlib>

#include "fuzz/lib/checks.h"
#include "fuzz/scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string finding = reliability::CheckLaunch({data, size}, reliability::ScratchRoot());
  if (!finding.empty()) {
    std::fprintf(stderr, "FINDING: %s\n", finding.c_str());
    std::abort();
  }
  return 0;
}
