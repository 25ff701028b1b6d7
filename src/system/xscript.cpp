// Script reader.
#include "system/xscript.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/xerror.h"

static const char* const kModule = "Xscript";

void xScript::Load(const uint8_t* data, int32_t bytesGiven) {
  xAssert(data != nullptr, kModule, 82);
  Free();
  int32_t bytes = bytesGiven > 0 ? bytesGiven : 0;
  // Four times the text, zeroed, so the text is always followed by zero bytes.
  text = static_cast<char*>(std::calloc(static_cast<size_t>(bytes) * 4 + 4, 1));
  if (!text) xErrCode(kModule, 85, 1, nullptr);
  if (bytes) std::memcpy(text, data, bytes);
  size = bytes;
  position = 0;
  end = size == 0;
  keyword = static_cast<char*>(std::calloc(kBufferSize, 1));
  if (!keyword) xErrCode(kModule, 91, 1, nullptr);
  argument = static_cast<char*>(std::calloc(kBufferSize, 1));
  if (!argument) xErrCode(kModule, 93, 1, nullptr);
}

void xScript::Free() {
  std::free(text);
  std::free(keyword);
  std::free(argument);
  std::free(words);
  text = keyword = argument = nullptr;
  words = nullptr;
  wordCount = 0;
  size = position = end = 0;
}

// Moves the position to the start of the line after the one holding `from`.
void xScript::NextLine(int32_t from) {
  const char* lf = static_cast<const char*>(std::memchr(text + from, '\n', size - from));
  position = lf ? static_cast<int32_t>(lf - text) + 1 : size;
  if (position >= size) {
    position = size;
    end = 1;
  }
}

const char* xScript::NextKeyword() {
  if (!text) return nullptr;
  std::memset(keyword, 0, kBufferSize);
  for (;;) {
    std::memset(argument, 0, kBufferSize);
    if (end || position >= size) {
      end = 1;
      return nullptr;
    }
    // Skip blank lines and leading white space. The keyword's own line is the
    // one advanced past below, so a line is never read twice whatever the line ends.
    int32_t start = position;
    while (start < size && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' || text[start] == '\n' ||
                            text[start] == '\v' || text[start] == '\f'))
      start++;
    if (start >= size) {
      position = size;
      end = 1;
      return nullptr;
    }
    // The argument is bounded to its buffer: a longer line is cut at 255 characters.
    std::sscanf(text + start, "%79s%255[^\n]", keyword, argument);
    if (std::strncmp(keyword, "/*", 2) != 0) {
      NextLine(start);
      return keyword;
    }
    const char* close = std::strstr(text + position, "*/");
    if (!close || close >= text + size) {
      position = size;
      end = 1;
      std::memset(keyword, 0, kBufferSize);
      return nullptr;
    }
    position = static_cast<int32_t>(close - text) + 2;
    if (position >= size) end = 1;
    std::memset(keyword, 0, kBufferSize);
  }
}

int32_t xScript::ArgInt() const { return argument ? std::atoi(argument) : 0; }
float xScript::ArgFloat() const { return argument ? static_cast<float>(std::atof(argument)) : 0.0f; }

void xScript::DropCarriageReturn() {
  size_t n = std::strlen(argument);
  if (n && argument[n - 1] == '\r') argument[n - 1] = 0;
}

const char* xScript::ArgText() {
  if (!argument) return "";
  DropCarriageReturn();
  return argument[0] ? argument + 1 : argument;
}

char* xScript::ArgDup() {
  char* copy = strdup(ArgText());
  if (!copy) xErrCode(kModule, __LINE__, 1, nullptr);
  return copy;
}

int32_t xScript::ArgCompare(const char* name) {
  int r = std::strcmp(name, ArgText());
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

void xScript::SplitArgs(int32_t n) {
  std::free(words);
  words = nullptr;
  wordCount = 0;
  if (n < 1 || !argument) return;
  words = static_cast<char**>(std::calloc(n, sizeof(char*)));
  if (!words) xErrCode(kModule, 183, 1, nullptr);
  wordCount = n;
  char* save = nullptr;
  char* w = strtok_r(argument, " ", &save);
  for (int32_t i = 0; i < n && w; i++) {
    words[i] = w;
    w = strtok_r(nullptr, " ", &save);
  }
}

float xScript::ArgWord(int32_t k) const {
  if (k < 1) k = 1;
  // A word beyond the last split reads as missing rather than past the array.
  if (!words || k > wordCount || !words[k - 1]) return 0.0f;
  return static_cast<float>(std::atof(words[k - 1]));
}
