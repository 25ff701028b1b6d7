// Shared helpers for the test programs.
#pragma once
#include <cstdint>
#include <string>

// Folder of the third-party sample files ("" when absent).
std::string qvCorpusDir();
// Skips the current test with a clear note when the corpus folder is missing.
#define QV_REQUIRE_CORPUS()                                                             \
  do {                                                                                  \
    if (qvCorpusDir().empty()) GTEST_SKIP() << "test corpus not found: " QV_CORPUS_DIR; \
  } while (0)

// SHA-256 of a byte block, lower-case hex.
std::string qvSha256(const void* data, size_t size);
// Whole file into a string (empty when unreadable).
std::string qvReadFile(const std::string& path);
// Starts the headless backend; "" when it started, else its message. With a dialog list it is
// configured first: the defaults, that list and a desktop of desktopW x desktopH.
std::string qvStartHeadless(const char* dialog = nullptr, int32_t desktopW = 1024, int32_t desktopH = 768);
// True when a command-line tool is on PATH.
bool qvHaveTool(const char* name);

// Compares 0x00RRGGBB pixels (rows `pitch` pixels apart) with the stored picture
// QV_TEST_DATA_DIR/name. With QV_UPDATE_GOLDEN=1 in the environment it writes the picture
// instead. On a difference it writes the actual picture beside the expected one
// (name with "actual_" before the file name) and returns a message naming both; "" when equal.
std::string qvGoldenCompare(const std::string& name, const uint32_t* pixels, int width, int height, int pitch);
// True when the run regenerates golden pictures.
bool qvUpdatingGolden();
