#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "file/memfile.h"

namespace {

std::string writeTemp(const char* name, const std::string& bytes) {
  std::string p = ::testing::TempDir() + name;
  FILE* f = std::fopen(p.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return p;
}

TEST(MemFile, ReadsUpToTheEndAndNoFurther) {
  std::string p = writeTemp("qv_mfile.bin", "0123456789");
  MFILE* m = mopen(p.c_str());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->size, 10);
  EXPECT_EQ(mtell(m), 0);
  char buf[16] = {};
  EXPECT_EQ(mread(buf, 4, m), 0);
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_EQ(mtell(m), 4);
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(mread(buf, 7, m), 2);  // one byte more than remains: nothing copied
  EXPECT_EQ(buf[0], '#');
  EXPECT_EQ(mtell(m), 4);
  EXPECT_EQ(mread(buf, 6, m), 0);  // exactly the rest
  EXPECT_EQ(std::string(buf, 6), "456789");
  EXPECT_EQ(mtell(m), 10);
  EXPECT_EQ(mread(buf, 0, m), 0);
  EXPECT_EQ(mread(buf, 1, m), 2);
  EXPECT_EQ(mseek(m, 8), 0);
  EXPECT_EQ(mread(buf, 2, m), 0);
  EXPECT_EQ(std::string(buf, 2), "89");
  // Unchecked seeks and odd lengths never reach outside the buffer.
  mseek(m, -3);
  EXPECT_EQ(mread(buf, 2, m), 2);
  mseek(m, 0x7FFFFFF0);
  EXPECT_EQ(mread(buf, 0x20, m), 2);
  mseek(m, 0);
  EXPECT_EQ(mread(buf, -1, m), 2);
  mclose(m);
}

TEST(MemFile, LaidOverABuffer) {
  uint8_t bytes[3] = {1, 2, 3};
  MFILE m = {bytes, 3, 0};
  uint8_t out[3];
  EXPECT_EQ(mread(out, 3, &m), 0);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(mread(out, 1, &m), 2);
}

TEST(MemFileDeath, OpenFailuresAreFatal) {
  std::string missing = ::testing::TempDir() + "qv_no_such.bin";
  EXPECT_EXIT(mopen(missing.c_str()), ::testing::ExitedWithCode(1),
              "XERR: Error: mopen:: unable to open file -> " + missing + "\n");
  std::string empty = writeTemp("qv_empty.bin", "");
  EXPECT_EXIT(mopen(empty.c_str()), ::testing::ExitedWithCode(1),
              "XERR: Error: mopen::unable to read file -> " + empty + "\n");
  EXPECT_EXIT(mclose(nullptr), ::testing::ExitedWithCode(1), "Error: Assertion failed\nFile Memfile\nLine 53\n");
}

}  // namespace
