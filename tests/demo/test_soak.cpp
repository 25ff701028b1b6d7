// Five presentations in one process (--loop): every pass presents the same frames (the state is
// truly reset and rand reseeded) and the memory after the fifth pass is that after the first.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvdemotest.h"

TEST(Soak, FivePassesAlikeInFramesAndMemory) {
  std::string dir = qvAssetDir("soak");
#ifdef __SANITIZE_ADDRESS__
  // Sanitizer builds run ten times slower: five passes of the last orders only.
  ASSERT_EQ(qvRunProgram(dir, "--headless --loop --start-order 23 --log soak.log --script 130000:key:ESC"), 0);
#else
  // A pass is 199,740 ms of music; Escape comes during the sixth.
  ASSERT_EQ(qvRunProgram(dir, "--headless --loop --log soak.log --script 1050000:key:ESC"), 0);
#endif
  std::string lines = qvLogLines(qvReadFile(dir + "/soak.log"), "XLOG: pass ");
  struct Pass {
    unsigned frames;
    unsigned long long hash;
    unsigned kib;
  };
  std::vector<Pass> passes;
  for (size_t at = 0; at < lines.size(); at = lines.find('\n', at) + 1) {
    Pass p;
    int n;
    if (std::sscanf(lines.c_str() + at, "XLOG: pass %d: %u frames, hash %llx, %*u ms, resident %u KiB", &n, &p.frames,
                    &p.hash, &p.kib) == 4)
      passes.push_back(p);
  }
  ASSERT_EQ(passes.size(), 5u) << lines;
  for (size_t i = 1; i < passes.size(); i++) {
    EXPECT_EQ(passes[i].frames, passes[0].frames) << "pass " << i + 1;
    EXPECT_EQ(passes[i].hash, passes[0].hash) << "pass " << i + 1;
  }
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's quarantine grows by design; it checks leaks itself
  EXPECT_LT(passes[4].kib, passes[0].kib + 1024) << lines;
#endif
}
