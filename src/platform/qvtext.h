// Small text helpers shared by the program and its tools (kept in the lowest layer so that
// every library, tool and test may use the one copy).
#pragma once
#include <cctype>
#include <cstring>
#include <string>

// True when s ends with tail, ignoring ASCII case (tail given in lower case).
inline bool qvEndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; i++)
    if (std::tolower((unsigned char)s[s.size() - n + i]) != tail[i]) return false;
  return true;
}
