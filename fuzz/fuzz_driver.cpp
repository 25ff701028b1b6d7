// qv_fuzz TARGET SEED_DIR_OR_FILE... --runs N --seed S
// Deterministic mutation runs over seed files; each input runs in a forked child. A child
// that returns, or exits 1..255 through the engine's fatal error path, passes; a signal,
// a hang (30 s of processor time) or a sanitizer report fails the run and the input is kept in the
// current folder as qv_fuzz-<target>-<run>.bin.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qvfuzz.h"

// Sanitizer reports get exit codes of their own, so they never pass for a fatal error.
extern "C" const char* __asan_default_options() { return "exitcode=86:detect_leaks=0"; }
extern "C" const char* __ubsan_default_options() { return "exitcode=87:halt_on_error=1:print_stacktrace=1"; }

namespace {

typedef int (*FuzzFn)(const uint8_t*, size_t);
struct Target {
  const char* name;
  FuzzFn fn;
};
const Target kTargets[] = {
#define QV_FUZZ_TARGET(t) {#t, qvfuzz_##t::qvFuzzOne},
#define QV_FUZZ_DECODER(t, loader)
#include "targets.inc"
#undef QV_FUZZ_DECODER
#undef QV_FUZZ_TARGET
};
// A hang is an input that takes this much processor time: a limit on CPU seconds, not on wall
// time, so a loaded or slow machine does not turn a slow input into a reported hang.
const int kTimeoutCpuSeconds = 30;
const size_t kMaxSeedBytes = 4u << 20;

typedef std::vector<uint8_t> Bytes;

// splitmix64: the same seed gives the same mutations on every machine.
struct Rng {
  uint64_t s;
  uint64_t Next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
};

bool ReadFile(const std::string& path, Bytes* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && out->size() < kMaxSeedBytes)
    out->insert(out->end(), buf, buf + n);
  std::fclose(f);
  return true;
}

// Plain files of a folder (not recursive; manifests and notes skipped), sorted by name.
void CollectSeeds(const std::string& arg, std::vector<Bytes>* seeds, std::vector<std::string>* names) {
  struct stat st;
  if (stat(arg.c_str(), &st) != 0) return;
  std::vector<std::string> files;
  if (S_ISDIR(st.st_mode)) {
    DIR* d = opendir(arg.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n[0] == '.' || n == "MANIFEST.tsv" || n == "README.md") continue;
      std::string p = arg + "/" + n;
      if (stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode)) files.push_back(p);
    }
    closedir(d);
    std::sort(files.begin(), files.end());
  } else {
    files.push_back(arg);
  }
  for (const std::string& p : files) {
    Bytes b;
    if (ReadFile(p, &b)) {
      seeds->push_back(b);
      names->push_back(p);
    }
  }
}

// A little-endian word at a random place made much larger (length fields that lie).
void Inflate(Bytes& b, Rng& r, int width) {
  if (b.size() < static_cast<size_t>(width)) return;
  size_t at = r.Below(b.size() - width + 1);
  uint64_t v = 0;
  for (int i = 0; i < width; i++) v |= static_cast<uint64_t>(b[at + i]) << (8 * i);
  uint64_t mask = width == 2 ? 0xFFFFull : 0xFFFFFFFFull;
  switch (r.Below(4)) {
    case 0: v = mask; break;       // all ones
    case 1: v = mask >> 1; break;  // largest positive when signed
    case 2: v = (v << (1 + r.Below(8))) & mask; break;
    default: v = (v + 1 + r.Below(4096)) & mask; break;
  }
  for (int i = 0; i < width; i++) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Places favour the first 256 bytes half the time: headers hold most of the fields.
size_t Place(const Bytes& b, Rng& r) {
  if (b.empty()) return 0;
  return r.Below(2) ? r.Below(std::min<size_t>(b.size(), 256)) : r.Below(b.size());
}

void Mutate(Bytes& b, Rng& r) {
  int count = 1 + static_cast<int>(r.Below(4));
  for (int k = 0; k < count; k++) {
    switch (r.Below(7)) {
      case 0:
        if (!b.empty()) b[Place(b, r)] ^= static_cast<uint8_t>(1u << r.Below(8));
        break;
      case 1: {
        static const uint8_t kValues[] = {0x00, 0xFF, 0x80};
        if (!b.empty()) b[Place(b, r)] = kValues[r.Below(3)];
        break;
      }
      case 2:  // truncation
        b.resize(r.Below(2) ? Place(b, r) : r.Below(b.size() + 1));
        break;
      case 3: {  // a chunk copied in somewhere else
        if (b.empty() || b.size() > kMaxSeedBytes) break;
        size_t from = r.Below(b.size()), len = 1 + r.Below(std::min<size_t>(b.size() - from, 512));
        Bytes piece(b.begin() + from, b.begin() + from + len);
        b.insert(b.begin() + r.Below(b.size() + 1), piece.begin(), piece.end());
        break;
      }
      case 4: Inflate(b, r, 2); break;
      case 5: Inflate(b, r, 4); break;
      default:
        if (!b.empty()) b[Place(b, r)] = static_cast<uint8_t>(r.Next());
        break;
    }
  }
}

enum Outcome { kPass, kFatal, kSignal, kHang, kSanitizer, kForkFailed };

// Runs one input in a child; its stderr goes to errPath (or stays on ours when null).
Outcome RunChild(FuzzFn fn, const Bytes& input, const char* errPath, int* detail) {
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid < 0) return kForkFailed;
  if (pid == 0) {
    if (errPath) {
      int fd = open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (fd >= 0) {
        dup2(fd, 2);
        dup2(fd, 1);
        close(fd);
      }
    }
    rlimit cpu = {(rlim_t)kTimeoutCpuSeconds, (rlim_t)kTimeoutCpuSeconds + 5};
    setrlimit(RLIMIT_CPU, &cpu);
    fn(input.data(), input.size());
    std::fflush(nullptr);
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  if (WIFSIGNALED(status)) {
    *detail = WTERMSIG(status);
    return *detail == SIGXCPU || *detail == SIGKILL ? kHang : kSignal;
  }
  *detail = WEXITSTATUS(status);
  if (*detail == 86 || *detail == 87) {
    // The engine could in principle exit with 86 or 87 itself; only a report counts.
    if (!errPath) return kSanitizer;
    Bytes text;
    ReadFile(errPath, &text);
    std::string s(text.begin(), text.end());
    if (s.find("Sanitizer") != std::string::npos || s.find("runtime error:") != std::string::npos) return kSanitizer;
  }
  return *detail == 0 ? kPass : kFatal;
}

int Usage() {
  std::fprintf(stderr, "usage: qv_fuzz TARGET SEED_DIR_OR_FILE... [--runs N] [--seed S]\ntargets:");
  for (const Target& t : kTargets) std::fprintf(stderr, " %s", t.name);
  std::fprintf(stderr, "\n");
  return 2;
}

// Keeps a failing input in the current folder and reports it with the child's output.
void ReportFailure(const Target* target, long run, Outcome o, int detail, const Bytes& input, const char* errPath) {
  const char* what = o == kSignal ? "killed by signal" : o == kHang ? "hang (timeout)" : "sanitizer report, exit code";
  std::string keep = std::string("qv_fuzz-") + target->name + "-" + std::to_string(run) + ".bin";
  FILE* f = std::fopen(keep.c_str(), "wb");
  if (f) {
    std::fwrite(input.data(), 1, input.size(), f);
    std::fclose(f);
  }
  // Negative numbers are the unchanged seeds, run before the mutations.
  std::printf("qv_fuzz %s: FAILURE at mutation %ld%s (%s %d), %zu bytes kept in %s\n", target->name, run,
              run < 0 ? " (unchanged seed)" : "", what, detail, input.size(), keep.c_str());
  Bytes text;
  ReadFile(errPath, &text);
  std::fwrite(text.data(), 1, std::min<size_t>(text.size(), 16384), stdout);
}

// The seeds themselves first, unchanged, then `runs` mutations; 0 when every input passed.
int RunAll(const Target* target, const std::vector<Bytes>& seeds, long runs, unsigned long long seed,
           const char* errPath) {
  Rng rng{seed};
  long returned = 0, fatal = 0;
  for (long run = -static_cast<long>(seeds.size()); run < runs; run++) {
    Bytes input;
    if (run < 0) {
      input = seeds[seeds.size() + run];
    } else {
      input = seeds[rng.Below(seeds.size())];
      Mutate(input, rng);
    }
    int detail = 0;
    Outcome o = RunChild(target->fn, input, errPath, &detail);
    if (o == kPass || o == kFatal) {
      (o == kPass ? returned : fatal)++;
      continue;
    }
    if (o == kForkFailed) {
      std::perror("qv_fuzz: fork");
      return 1;
    }
    ReportFailure(target, run, o, detail, input, errPath);
    return 1;
  }
  std::printf("qv_fuzz %s: %ld inputs passed (%ld returned, %ld ended by the fatal error path)\n", target->name,
              returned + fatal, returned, fatal);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const Target* target = nullptr;
  for (const Target& t : kTargets)
    if (!std::strcmp(argv[1], t.name)) target = &t;
  if (!target) return Usage();
  long runs = 1000;
  unsigned long long seed = 1;
  std::vector<Bytes> seeds;
  std::vector<std::string> names;
  for (int i = 2; i < argc; i++) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::strtol(argv[++i], nullptr, 10);
    } else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      return Usage();
    } else {
      CollectSeeds(argv[i], &seeds, &names);
    }
  }
  if (runs < 0) return Usage();
  size_t fromFiles = seeds.size();
  // Built-in seeds always join in, so the run is the same kind of test without a corpus.
  for (Bytes& b : qvFuzzBuiltinSeeds(target->name)) {
    seeds.push_back(b);
    names.push_back("<built-in>");
  }
  if (seeds.empty()) seeds.push_back(Bytes());
  std::printf("qv_fuzz %s: %zu seed files + %zu built-in, %ld runs, seed %llu\n", target->name, fromFiles,
              seeds.size() - fromFiles, runs, seed);

  char errPath[] = "/tmp/qv_fuzz_stderr_XXXXXX";
  int errFd = mkstemp(errPath);
  if (errFd < 0) {
    std::perror("qv_fuzz: mkstemp");
    return 1;
  }
  close(errFd);
  int result = RunAll(target, seeds, runs, seed, errPath);
  unlink(errPath);
  return result;
}
