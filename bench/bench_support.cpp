#include "bench_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <system_error>
#include <utility>

#include <stdlib.h>

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
