// What the benchmark programs have in common: the CPU-time clock, command-line handling, the
// corpus location, listing a source tree, a temporary directory, child processes timed by the
// kernel (universal-ctags as the reference tool) and the closing summary.
#pragma once

#include "frontend/analysis_engine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
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

// Every .c/.cc/.cpp file under `root` (with `withHeaders` also .cxx, .C and the headers .h .hh
// .hpp .hxx .inl .ipp, as a folder input of the CLI gives them) as an absolute path, sorted
// byte-wise: the project files of an engine run over the tree.
std::vector<std::string> collectProjectFiles(const fs::path& root, bool withHeaders = false);

// The sum of the files' sizes (files that cannot be stat'ed count 0).
std::uint64_t totalFileBytes(const std::vector<std::string>& files);

// Run settings with `files` as the selected project files and everything else at its default:
// quoted includes are followed, angle includes are not.
frontend::RunSettings projectSettings(const std::vector<std::string>& files);

// Writes `text` to `path`; ends the program with a message when that fails.
void writeFile(const fs::path& path, std::string_view text);

// Writes each entry as a line of its own: the file lists that ctags and child runs read.
void writeLines(const fs::path& path, const std::vector<std::string>& lines);

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

// What the kernel reports to wait4 for a child process that has ended.
struct ChildUsage {
    double cpuSeconds = 0;       // user + system, including the children it waited for
    double wallSeconds = 0;
    std::uint64_t peakRssBytes = 0;  // ru_maxrss: the largest resident set of the child (or of
                                     // one of the children it waited for)
};

// The full path of `program` found through PATH, or nothing.
std::optional<std::string> findInPath(const char* program);

// The path of the running program (for starting it again in a mode of its own).
std::string selfExecutable();

// Runs `argv` (argv[0] a path) with its standard output going to `stdoutPath` and its standard
// error to `stderrPath` (each inherited when empty) and waits for it. Returns nothing, with a
// message on stderr under the name `program`, when it could not be started, was killed by a
// signal or exited with a status other than 0.
//
// The peak resident set that the kernel reports for a child is never below the peak of the
// process that started it (Linux carries the starting process's peak over exec), so from a
// benchmark process that has grown it says nothing: use runMeasured for memory figures.
std::optional<ChildUsage> runChild(const std::vector<std::string>& argv, const std::string& stdoutPath,
                                   const char* program, const std::string& stderrPath = {});

// `ctags --languages=C,C++ -L LIST -f -` with its output going to /dev/null (its sort included).
std::optional<ChildUsage> runCtags(const std::string& ctags, const std::string& listFile, const char* program);

// Runs `argv` like runChild, but through this program started afresh in its measuring mode
// (`--measure=FILE ARGV...`): a small process in between, so that the reported peak is the
// child's own. The measuring mode must be handled first thing in main (runMeasuringMode).
std::optional<ChildUsage> runMeasured(const std::vector<std::string>& argv, const std::string& stdoutPath,
                                      const std::string& stderrPath, const char* program);

// The measuring mode: when argv is `PROGRAM --measure=FILE ARGV...`, runs ARGV as its child (its
// standard streams inherited) and writes what wait4 reported to FILE; returns the exit status for
// main (0, or 1 when the child failed). Returns -1 for any other command line.
int runMeasuringMode(int argc, char** argv);

// The benchmark library may call a benchmark function several times while it settles on an
// iteration count; the summary keeps the line of the last call of each benchmark.
void setSummary(const std::string& benchmarkName, std::string line);

// Runs the benchmarks selected on the command line and shuts the library down, then prints the
// summary lines (unless options.summary is off). Returns the exit status of the program.
int runAndSummarize(const CommonOptions& options);

}  // namespace qm::bench
