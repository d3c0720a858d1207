// What the benchmark programs have in common: the CPU-time clock, command-line handling, the
// corpus location, listing a source tree, a temporary directory and the closing summary.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <time.h>

namespace qm::bench {

namespace fs = std::filesystem;

// CPU time of the calling thread (user and system). Builds running on the same machine then do
// not count as our time, while read() and page faults do.
struct CpuClock {
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<CpuClock, duration>;
    static time_point now() noexcept
    {
        timespec ts{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return time_point(duration(std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec));
    }
};

inline constexpr const char* kDefaultCorpus = "/usr/share/juce/modules";
inline constexpr double kMega = 1e6;

inline double seconds(CpuClock::duration d) { return std::chrono::duration<double>(d).count(); }

// The flags every benchmark program understands.
struct CommonOptions {
    std::string corpus;
    bool smoke = false;
    bool summary = true;  // false when the library writes a machine-readable format
};

// Takes the common flags (--corpus=DIR, --smoke) and those `extra` accepts out of argv, leaving
// the rest to the benchmark library. `printHelp` prints the program's own usage for --help (the
// flag is then passed on too, so that the library lists its flags after it). The corpus falls
// back to QM_BENCH_CORPUS, then to kDefaultCorpus.
void parseOptions(int& argc, char** argv, CommonOptions& options,
                  const std::function<void(const char* program)>& printHelp,
                  const std::function<bool(std::string_view arg)>& extra = {});

// Hands the remaining arguments to the benchmark library; false when some of them are unknown
// to it (it has said so already).
bool initializeLibrary(int& argc, char** argv);

// Whether the corpus directory is to be read: not with --smoke, nor when it does not exist (said
// on stderr, under the name `program`).
bool useCorpus(const CommonOptions& options, const char* program);

// Every regular file under `root` whose extension is one of `extensions`, sorted byte-wise so
// that runs visit the files in the same order.
std::vector<std::string> collectFiles(const fs::path& root, std::initializer_list<std::string_view> extensions);

// A temporary directory (`prefix` followed by a unique suffix), removed again when the program
// ends.
class TempDir {
public:
    explicit TempDir(std::string_view prefix);
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const fs::path& dir() const { return m_dir; }

private:
    fs::path m_dir;
};

// The benchmark library may call a benchmark function several times while it settles on an
// iteration count; the summary keeps the line of the last call of each benchmark.
void setSummary(const std::string& benchmarkName, std::string line);

// Runs the benchmarks selected on the command line and shuts the library down, then prints the
// summary lines (unless options.summary is off). Returns the exit status of the program.
int runAndSummarize(const CommonOptions& options);

}  // namespace qm::bench
