#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "file/xfile.h"

namespace {

struct Entry {
  std::string name;
  std::string data;
  int method;  // 0 stored, Z_DEFLATED
};

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

void writeZip(const std::string& path, const std::vector<Entry>& entries) {
  zipFile z = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  ASSERT_NE(z, nullptr);
  for (const Entry& e : entries) {
    zip_fileinfo zi;
    std::memset(&zi, 0, sizeof zi);
    ASSERT_EQ(zipOpenNewFileInZip(z, e.name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, e.method,
                                  e.method ? Z_DEFAULT_COMPRESSION : 0),
              ZIP_OK);
    ASSERT_EQ(zipWriteInFileInZip(z, e.data.data(), (unsigned)e.data.size()), ZIP_OK);
    ASSERT_EQ(zipCloseFileInZip(z), ZIP_OK);
  }
  ASSERT_EQ(zipClose(z, nullptr), ZIP_OK);
}

void writeFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string dataOf(const xFileData& fd) { return std::string((const char*)fd.data, fd.size); }

class XFileArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = tempPath("qv_xfile_test.kvo");
    std::string big;
    for (int i = 0; i < 50000; i++) big += (char)('a' + i * 7 % 26);
    writeZip(path_, {{"Textures/Texture4.TGA", "texture four", 0},
                     {"scenes/scene_1.x3d", big, Z_DEFLATED},
                     {"empty.txt", "", 0},
                     {"damaged.bin", "ABCDEFGHIJKLMNOPQRSTUVWXYZ-stored-entry", 0}});
  }
  std::string path_;
};

TEST_F(XFileArchive, OpenReportsSuccessAsMinus103) {
  xFile f(1);
  EXPECT_EQ(f.archive, nullptr);
  EXPECT_EQ(f.Open(path_.c_str()), -103);
  EXPECT_NE(f.archive, nullptr);
  xFile missing(1);
  EXPECT_EQ(missing.Open(tempPath("no_such_archive.kvo").c_str()), 0);
  EXPECT_EQ(missing.archive, nullptr);
  xFileData fd = {nullptr, 0, nullptr};
  EXPECT_EQ(missing.Read("anything", &fd), -102);  // no archive
  xFile disk(0);
  EXPECT_EQ(disk.Open(path_.c_str()), 0);
  EXPECT_EQ(disk.archive, nullptr);
}

TEST_F(XFileArchive, NamesIgnoreCaseAndRecordTheStoredName) {
  xFile f(1);
  ASSERT_EQ(f.Open(path_.c_str()), -103);
  for (const char* asked : {"TEXTURES/TEXTURE4.TGA", "textures/texture4.tga", "Textures/Texture4.TGA"}) {
    xFileData fd = {nullptr, 0, nullptr};
    ASSERT_EQ(f.Read(asked, &fd), 0) << asked;
    EXPECT_STREQ(fd.name, "Textures/Texture4.TGA");
    EXPECT_EQ(dataOf(fd), "texture four");
    EXPECT_EQ(f.Free(&fd), 0);
    EXPECT_EQ(fd.size, 0);
  }
  xFileData fd = {nullptr, 0, nullptr};
  ASSERT_EQ(f.Read("SCENES/SCENE_1.X3D", &fd), 0);  // deflated
  ASSERT_EQ(fd.size, 50000);
  EXPECT_EQ(fd.data[49999], 'a' + 49999 * 7 % 26);
  f.Free(&fd);
  ASSERT_EQ(f.Read("empty.txt", &fd), 0);
  EXPECT_EQ(fd.size, 0);
  EXPECT_NE(fd.data, nullptr);
  f.Free(&fd);
  f.Free(&fd);  // a second Free is harmless
}

TEST_F(XFileArchive, FailuresLeaveTheRecordUntouched) {
  xFile f(1);
  ASSERT_EQ(f.Open(path_.c_str()), -103);
  char sentinelName[] = "sentinel";
  uint8_t sentinelData[1] = {7};
  xFileData fd = {sentinelName, 1234, sentinelData};
  EXPECT_EQ(f.Read("textures/texture5.tga", &fd), -100);
  EXPECT_EQ(fd.name, sentinelName);
  EXPECT_EQ(fd.size, 1234);
  EXPECT_EQ(fd.data, sentinelData);
  std::string longName(256, 'x');
  EXPECT_EQ(f.Read(longName.c_str(), &fd), -102);
  EXPECT_EQ(f.Read(longName.substr(0, 255).c_str(), &fd), -100);  // 255 is still a name
  EXPECT_EQ(fd.size, 1234);
}

TEST_F(XFileArchive, DamagedEntryReturnsCrcErrorWithItsData) {
  std::string bytes = qvReadFile(path_);
  size_t at = bytes.find("ABCDEFGHIJ");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 3] = 'd';
  std::string damaged = tempPath("qv_xfile_damaged.kvo");
  writeFile(damaged, bytes);
  xFile f(1);
  ASSERT_EQ(f.Open(damaged.c_str()), -103);
  xFileData fd = {nullptr, 0, nullptr};
  EXPECT_EQ(f.Read("DAMAGED.BIN", &fd), -105);
  ASSERT_NE(fd.data, nullptr);
  EXPECT_EQ(dataOf(fd), "ABCdEFGHIJKLMNOPQRSTUVWXYZ-stored-entry");
  f.Free(&fd);
  // The archive stays usable for the next read.
  ASSERT_EQ(f.Read("textures/texture4.tga", &fd), 0);
  f.Free(&fd);
}

TEST(XFileDisk, ReadsWholeFilesByPath) {
  std::string p = tempPath("qv_xfile_disk.bin");
  std::string bytes("\0\1\2binary\xff", 10);
  writeFile(p, bytes);
  xFile f(0);
  xFileData fd = {nullptr, 0, nullptr};
  ASSERT_EQ(f.Read(p.c_str(), &fd), 0);
  EXPECT_STREQ(fd.name, p.c_str());
  EXPECT_EQ(dataOf(fd), bytes);
  f.Free(&fd);
  EXPECT_EQ(f.Read(tempPath("qv_no_such_file").c_str(), &fd), -103);
  EXPECT_EQ(f.Read(::testing::TempDir().c_str(), &fd), -104);  // a folder has no bytes to read
}

// The shared reader under xFile, memory files, pictures, materials and the 3DS loader: an empty
// file is one allocated byte and size 0; failures leave the outputs alone.
TEST(XFileDisk, SharedReaderCodes) {
  const std::string empty = tempPath("qv_xfile_empty.bin");
  writeFile(empty, "");
  uint8_t* data = nullptr;
  int32_t size = -1;
  ASSERT_EQ(xFileReadDisk(empty.c_str(), &data, &size), XFILE_OK);
  EXPECT_NE(data, nullptr);
  EXPECT_EQ(size, 0);
  std::free(data);
  data = nullptr;
  size = -1;
  EXPECT_EQ(xFileReadDisk(nullptr, &data, &size), XFILE_BAD_PARAM);
  EXPECT_EQ(xFileReadDisk(tempPath("qv_no_such_file").c_str(), &data, &size), XFILE_OPEN_ERROR);
  EXPECT_EQ(xFileReadDisk(::testing::TempDir().c_str(), &data, &size), XFILE_READ_ERROR);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, -1);
}

TEST(XFileDisk, PipesAreRefusedWithoutWaiting) {
  // A FIFO without a writer would block an ordinary open for ever.
  const std::string fifo = tempPath("qv_xfile_fifo");
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  uint8_t* data = nullptr;
  int32_t size = -1;
  EXPECT_EQ(xFileReadDisk(fifo.c_str(), &data, &size), XFILE_READ_ERROR);
  EXPECT_EQ(xFileKind(fifo.c_str()), XFILE_KIND_OTHER);
  xFile archive(1);
  EXPECT_EQ(archive.Open(fifo.c_str()), 0);
  EXPECT_EQ(archive.archive, nullptr);
  std::remove(fifo.c_str());
  EXPECT_EQ(xFileKind(fifo.c_str()), XFILE_KIND_MISSING);
}

TEST(XFileCorpus, RealArchives) {
  QV_REQUIRE_CORPUS();
  std::string dir = qvCorpusDir() + "/zip/";
  xFile f(1);
  ASSERT_EQ(f.Open((dir + "zipdata2.zip").c_str()), -103);
  // Rows: asked name, stored name found first in the directory, SHA-256 of its bytes.
  struct Row {
    const char* asked;
    const char* stored;
    const char* sha;
  } rows[] = {
      {"bla.com", "BLA.COM", "782c3dbfcc527c67111f52a59d582e48c6792e38af27e34cef89945bcda4aac8"},  // stored
      {"MOD.OK", "mod.ok", "72973213dc84bfe1bad1bf16917c63e9d98303df090349b92445dc7dd9d84090"},    // deflate
      {"README", "README", "0c68f2304bbd236a01fb010d8664899db583784f37fda6aad3dda139649dc8f8"},
  };
  for (const Row& r : rows) {
    xFileData fd = {nullptr, 0, nullptr};
    ASSERT_EQ(f.Read(r.asked, &fd), 0) << r.asked;
    EXPECT_STREQ(fd.name, r.stored);
    EXPECT_EQ(qvSha256(fd.data, fd.size), r.sha);
    f.Free(&fd);
  }
  // This writer keeps the real sizes only in a Zip64 field that minizip does not take up,
  // so the entry announces 4 GiB: a clean failure, record untouched.
  xFile z64(1);
  ASSERT_EQ(z64.Open((dir + "ponylips.64.zip").c_str()), -103);
  xFileData fd = {nullptr, 0, nullptr};
  EXPECT_EQ(z64.Read("PONYLIPS.MOD", &fd), -104);
  EXPECT_EQ(fd.data, nullptr);
  xFile space(1);
  ASSERT_EQ(space.Open((dir + "zipdata3.zip").c_str()), -103);
  ASSERT_EQ(space.Read("CHIP ZONE.MDL", &fd), 0);
  EXPECT_STREQ(fd.name, "chip zone.mdl");
  space.Free(&fd);
  xFile truncated(1);
  EXPECT_EQ(truncated.Open((dir + "depack_zip_truncated2.zip").c_str()), 0);
}

}  // namespace
