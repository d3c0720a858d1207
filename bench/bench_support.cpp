#include "bench_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm::bench {

namespace {

std::map<std::string, std::string>& summaryLines()
{
    static std::map<std::string, std::string> lines;
    return lines;
}

}  // namespace

void parseOptions(int& argc, char** argv, CommonOptions& options,
                  const std::function<void(const char* program)>& printHelp,
                  const std::function<bool(std::string_view arg)>& extra)
{
    if (const char* env = std::getenv("QM_BENCH_CORPUS"); env && *env) {
        options.corpus = env;
    }
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--corpus=")) {
            options.corpus = std::string(arg.substr(9));
        } else if (arg == "--smoke") {
            options.smoke = true;
        } else if (extra && extra(arg)) {
            // taken by the program
        } else if (arg == "--help" || arg == "-h") {
            printHelp(argv[0]);
            argv[kept++] = argv[i];  // let the library print its own flags too
        } else {
            if (arg.starts_with("--benchmark_format=") && arg != "--benchmark_format=console") {
                options.summary = false;  // keep machine-readable output clean
            }
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (options.corpus.empty()) {
        options.corpus = kDefaultCorpus;
    }
}

bool initializeLibrary(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    return !benchmark::ReportUnrecognizedArguments(argc, argv);
}

bool useCorpus(const CommonOptions& options, const char* program)
{
    std::error_code ec;
    const bool haveCorpus = !options.smoke && fs::is_directory(options.corpus, ec);
    if (!options.smoke && !haveCorpus) {
        std::fprintf(stderr, "%s: corpus %s not found; using generated input (run bench/corpora.sh)\n", program,
                     options.corpus.c_str());
    }
    return haveCorpus;
}

std::vector<std::string> collectFiles(const fs::path& root, std::initializer_list<std::string_view> extensions)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code statError;
        if (!it->is_regular_file(statError)) continue;
        const std::string ext = it->path().extension().string();
        if (std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) {
            files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());  // std::string compares as unsigned bytes
    return files;
}

std::vector<std::string> collectProjectFiles(const fs::path& root, bool withHeaders)
{
    std::error_code ec;
    const fs::path base = fs::absolute(root, ec).lexically_normal();
    if (withHeaders) {
        return collectFiles(base, {".c", ".cc", ".cpp", ".cxx", ".C", ".h", ".H", ".hh", ".hpp", ".hxx", ".inl", ".ipp"});
    }
    return collectFiles(base, {".c", ".cc", ".cpp"});
}

std::uint64_t totalFileBytes(const std::vector<std::string>& files)
{
    std::uint64_t total = 0;
    for (const std::string& path : files) {
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        if (!ec) total += size;
    }
    return total;
}

frontend::RunSettings projectSettings(const std::vector<std::string>& files)
{
    frontend::RunSettings settings;
    settings.files.reserve(files.size());
    for (const std::string& path : files) settings.files.push_back({path, true});
    return settings;
}

void writeFile(const fs::path& path, std::string_view text)
{
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

void writeLines(const fs::path& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    writeFile(path, text);
}

TempDir::TempDir(std::string_view prefix)
{
    std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    m_dir = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_dir, ec);
}

std::optional<std::string> findInPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = rest.find(':');
        const std::string dir(rest.substr(0, colon));
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string_view::npos) return std::nullopt;
        rest.remove_prefix(colon + 1);
    }
}

std::string selfExecutable()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        std::fprintf(stderr, "cannot find the running program: %s\n", ec.message().c_str());
        std::exit(1);
    }
    return self.string();
}

std::optional<ChildUsage> runChild(const std::vector<std::string>& arguments, const std::string& stdoutPath,
                                   const char* program, const std::string& stderrPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    }
    if (!stderrPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    }
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);

    using WallClock = std::chrono::steady_clock;
    const auto start = WallClock::now();
    pid_t pid = 0;
    const int spawnError = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0) {
        std::fprintf(stderr, "%s: cannot start %s: %s\n", program, argv[0], std::strerror(spawnError));
        return std::nullopt;
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::fprintf(stderr, "%s: wait4: %s\n", program, std::strerror(errno));
            return std::nullopt;
        }
    }
    const auto end = WallClock::now();
    if (WIFSIGNALED(status)) {
        std::fprintf(stderr, "%s: %s was killed by signal %d (%s)\n", program, argv[0], WTERMSIG(status),
                     ::strsignal(WTERMSIG(status)));
        return std::nullopt;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: %s failed (exit status %d)\n", program, argv[0],
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return std::nullopt;
    }
    auto toSeconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
    ChildUsage result;
    result.cpuSeconds = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    result.wallSeconds = std::chrono::duration<double>(end - start).count();
    result.peakRssBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;  // Linux reports KiB
    return result;
}

std::optional<ChildUsage> runCtags(const std::string& ctags, const std::string& listFile, const char* program)
{
    return runChild({ctags, "--languages=C,C++", "-L", listFile, "-f", "-"}, "/dev/null", program);
}

std::optional<ChildUsage> runMeasured(const std::vector<std::string>& argv, const std::string& stdoutPath,
                                      const std::string& stderrPath, const char* program)
{
    // Where the measuring process writes its figures.
    const fs::path resultFile =
        fs::temp_directory_path() / ("qm-measure-" + std::to_string(::getpid()) + ".txt");
    std::vector<std::string> trampoline{selfExecutable(), "--measure=" + resultFile.string()};
    trampoline.insert(trampoline.end(), argv.begin(), argv.end());
    const auto outer = runChild(trampoline, stdoutPath, program, stderrPath);
    std::error_code ec;
    if (!outer) {
        fs::remove(resultFile, ec);
        return std::nullopt;
    }
    ChildUsage usage;
    unsigned long long peak = 0;
    FILE* in = std::fopen(resultFile.c_str(), "r");
    const bool read = in && std::fscanf(in, "cpu_s=%lf wall_s=%lf peak_bytes=%llu", &usage.cpuSeconds,
                                        &usage.wallSeconds, &peak) == 3;
    if (in) std::fclose(in);
    fs::remove(resultFile, ec);
    if (!read) {
        std::fprintf(stderr, "%s: no measurement from %s\n", program, argv.front().c_str());
        return std::nullopt;
    }
    usage.peakRssBytes = peak;
    return usage;
}

int runMeasuringMode(int argc, char** argv)
{
    constexpr std::string_view flag = "--measure=";
    if (argc < 3 || !std::string_view(argv[1]).starts_with(flag)) return -1;
    const std::string resultFile(argv[1] + flag.size());
    const std::vector<std::string> target(argv + 2, argv + argc);
    const auto usage = runChild(target, {}, "measure");
    if (!usage) return 1;
    FILE* out = std::fopen(resultFile.c_str(), "w");
    if (!out) return 1;
    std::fprintf(out, "cpu_s=%.6f wall_s=%.6f peak_bytes=%llu\n", usage->cpuSeconds, usage->wallSeconds,
                 static_cast<unsigned long long>(usage->peakRssBytes));
    return std::fclose(out) == 0 ? 0 : 1;
}

void setSummary(const std::string& benchmarkName, std::string line) { summaryLines()[benchmarkName] = std::move(line); }

int runAndSummarize(const CommonOptions& options)
{
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const auto& lines = summaryLines();
    if (options.summary && !lines.empty()) {
        std::printf("\n");
        for (const auto& [name, line] : lines) std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace qm::bench
