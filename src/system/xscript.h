// Line-oriented reader for the engine's text scripts: one keyword per line,
// the rest of the line is its argument; blank lines and /* */ comments are skipped.
#pragma once
#include <cstdint>

class xScript {
 public:
  xScript() = default;
  ~xScript() { Free(); }
  xScript(const xScript&) = delete;
  xScript& operator=(const xScript&) = delete;

  // Takes a private copy of a script's bytes (as the archive read them); the caller keeps
  // its buffer. A null buffer is an assertion.
  void Load(const uint8_t* data, int32_t bytes);
  void Free();
  // Next keyword (at most 79 characters), or null at the end of the text.
  const char* NextKeyword();
  int32_t ArgInt() const;
  float ArgFloat() const;
  // The argument without its separator blank and without a trailing carriage return.
  const char* ArgText();
  char* ArgDup();  // the same as a heap string owned by the caller
  // strcmp(name, ArgText()) reduced to -1, 0 or 1.
  int32_t ArgCompare(const char* name);
  // Cuts the argument into at most n blank-separated words.
  void SplitArgs(int32_t n);
  // atof of word k (1-based, below 1 counts as 1); 0 when there is no such word.
  float ArgWord(int32_t k) const;

  enum { kBufferSize = 256, kMaxKeyword = 79, kMaxArgument = 255 };

  char* text = nullptr;      // the script, zero-filled to four times its size
  char* keyword = nullptr;   // kBufferSize bytes
  char* argument = nullptr;  // kBufferSize bytes: separator blank first, may end with CR
  int32_t size = 0;
  int32_t position = 0;
  int32_t unused = 0;
  int32_t end = 0;
  char** words = nullptr;
  int32_t wordCount = 0;  // n of the last SplitArgs

 private:
  void NextLine(int32_t from);
  void DropCarriageReturn();
};
