// Lexer benchmarks.
//
// corpus/<dir>       Reads every C/C++ file of a source tree twice per iteration: once only
//                    counting line feeds (the reference: what reading the files costs at all), once
//                    folding CR LF and tokenizing. Both passes run in the same iteration so that
//                    load from other processes affects both alike; the best pass of each kind is
//                    reported, and their ratio. Token memory (vector capacity plus heap texts per
//                    byte of input) is measured once, outside the timed loop.
// linearity/<kind>   Tokenizes generated text of one kind (identifiers, numbers, strings,
//                    comments) at N and 2N bytes and reports time(2N) / time(N); a lexer that is
//                    linear in its input gives about 2.
//
// Passes are timed in CPU time and the best iteration counts (see CpuClock).
//
// The corpus comes from --corpus=DIR, else QM_BENCH_CORPUS, else the medium corpus of
// bench/corpora.sh. When that directory does not exist, or with --smoke, a few generated files in
// a temporary directory stand in for it and the linearity inputs shrink to 64 KiB / 128 KiB, so
// that the program can run in CI in well under a second.
//
// After the benchmarks, a plain summary (one "summary ..." line per benchmark, values without
// unit prefixes) is printed for scripts such as run_benchmarks.sh.

#include "bench_support.h"
#include "frontend/tokenize_file.h"
#include "model/token.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qm::model::Token;

using qm::bench::kDefaultCorpus;
using qm::bench::kMega;
using qm::bench::seconds;
using qm::bench::setSummary;

// Passes are timed in CPU time of this thread (user and system, the reading included): the
// machines that run these benchmarks often run builds at the same time, and waiting for a core
// would otherwise count as lexer time. Page faults and read() are system time and do count.
using Clock = qm::bench::CpuClock;

const qm::frontend::DiagnosticsWriter& discardDiagnostics()
{
    static const qm::frontend::DiagnosticsWriter writer = [](std::string_view) {};
    return writer;
}

// ---------------------------------------------------------------------------------------------
// Reading files

// Every C/C++ file under `root`, sorted so that runs visit the files in the same order.
std::vector<std::string> collectSourceFiles(const fs::path& root)
{
    return qm::bench::collectFiles(root, {".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".hxx", ".inl"});
}

// Reads a whole file the way tokenizeFile does: open, fstat, one read of the announced size
// (repeated only on short reads). Returns false for files that cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= qm::frontend::kMaxSourceFileBytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n == 0) {
                break;  // the file shrank since fstat
            } else if (errno != EINTR) {
                ok = false;
                break;
            }
        }
        bytes.resize(done);
    }
    ::close(fd);
    return ok;
}

struct PassTotals {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;   // bytes read from disk
    std::uint64_t count = 0;   // line feeds or tokens, so that the work cannot be optimised away
};

// Counts the line feeds of `bytes` with a plain byte loop. Vectorising is switched off for this
// one function so that the reference stays a plain pass whatever optimisation level the
// benchmark is built with (auto-vectorised at -O3 it runs about three times faster).
// It is also aligned to a cache line: otherwise its speed moves by a third with the size of the
// code linked before it.
__attribute__((optimize("no-tree-vectorize"), aligned(64))) std::size_t countLineFeeds(std::string_view bytes)
{
    std::size_t count = 0;
    for (const char c : bytes) {
        count += c == '\n';
    }
    return count;
}

// The reference pass: read every file and count its line feeds.
PassTotals readAndCountLines(const std::vector<std::string>& files)
{
    PassTotals totals;
    for (const std::string& path : files) {
        std::string bytes;
        if (!readWholeFile(path, bytes)) continue;
        totals.files += 1;
        totals.bytes += bytes.size();
        totals.count += countLineFeeds(bytes);
    }
    return totals;
}

// The measured pass: what tokenizeFile does, with diagnostics discarded. Each file gets a token
// vector of its own, as when the token sequences are kept for analysis.
PassTotals readAndTokenize(const std::vector<std::string>& files)
{
    PassTotals totals;
    for (const std::string& path : files) {
        std::string bytes;
        if (!readWholeFile(path, bytes)) continue;
        totals.files += 1;
        totals.bytes += bytes.size();
        std::vector<Token> tokens;
        qm::frontend::tokenizeBytes(bytes, tokens, discardDiagnostics());
        totals.count += tokens.size();
    }
    return totals;
}

struct TokenMemory {
    std::uint64_t scannedBytes = 0;  // bytes handed to tokenizeText (after folding CR LF)
    std::uint64_t vectorBytes = 0;   // capacity * sizeof(Token), summed over files
    std::uint64_t heapTextBytes = 0;
    std::uint64_t tokens = 0;

    double ratio() const
    {
        return scannedBytes == 0 ? 0.0 : static_cast<double>(vectorBytes + heapTextBytes) / scannedBytes;
    }
};

TokenMemory measureTokenMemory(const std::vector<std::string>& files)
{
    TokenMemory memory;
    for (const std::string& path : files) {
        std::string bytes;
        if (!readWholeFile(path, bytes)) continue;
        std::vector<Token> tokens;
        qm::frontend::tokenizeBytes(bytes, tokens, discardDiagnostics());
        memory.scannedBytes += bytes.size();
        memory.vectorBytes += tokens.capacity() * sizeof(Token);
        memory.tokens += tokens.size();
        for (const Token& token : tokens) {
            memory.heapTextBytes += token.text.heapBytes();
        }
    }
    return memory;
}

// ---------------------------------------------------------------------------------------------
// Generated text

// A small deterministic generator, so that every run tokenizes the same text.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint32_t next()
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(m_state >> 33);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
    bool chance(std::uint32_t percent) { return below(100) < percent; }

private:
    std::uint64_t m_state;
};

enum class Kind { Identifiers, Numbers, Strings, Comments, Code };

constexpr std::array<std::pair<Kind, const char*>, 4> kLinearityKinds = {{
    {Kind::Identifiers, "identifiers"},
    {Kind::Numbers, "numbers"},
    {Kind::Strings, "strings"},
    {Kind::Comments, "comments"},
}};

void appendIdentifier(std::string& out, Random& rng)
{
    static constexpr std::string_view kStart = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    static constexpr std::string_view kRest = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789";
    // Mostly short names, some longer than the 15 bytes that a token keeps inline.
    const std::uint32_t length = rng.chance(10) ? 16 + rng.below(24) : 1 + rng.below(14);
    out.push_back(kStart[rng.below(kStart.size())]);
    for (std::uint32_t i = 1; i < length; ++i) out.push_back(kRest[rng.below(kRest.size())]);
}

void appendNumber(std::string& out, Random& rng)
{
    char buffer[64];
    int n = 0;
    switch (rng.below(6)) {
    case 0: n = std::snprintf(buffer, sizeof buffer, "%u", rng.next()); break;
    case 1: n = std::snprintf(buffer, sizeof buffer, "0x%Xu", rng.next()); break;
    case 2: n = std::snprintf(buffer, sizeof buffer, "0%o", rng.below(4096)); break;
    case 3: n = std::snprintf(buffer, sizeof buffer, "%u.%ue%d", rng.below(1000), rng.below(100000),
                              static_cast<int>(rng.below(40)) - 20); break;
    case 4: n = std::snprintf(buffer, sizeof buffer, ".%uf", rng.below(1000)); break;
    default: n = std::snprintf(buffer, sizeof buffer, "%uUL", rng.below(100)); break;
    }
    out.append(buffer, static_cast<std::size_t>(n));
}

void appendWords(std::string& out, Random& rng, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i) out.push_back(' ');
        appendIdentifier(out, rng);
    }
}

void appendLine(std::string& out, Kind kind, Random& rng)
{
    switch (kind) {
    case Kind::Identifiers:
        appendWords(out, rng, 4 + rng.below(8));
        out.push_back('\n');
        break;
    case Kind::Numbers:
        for (std::uint32_t i = 0, n = 4 + rng.below(8); i < n; ++i) {
            if (i) out.append(", ");
            appendNumber(out, rng);
        }
        out.push_back('\n');
        break;
    case Kind::Strings:
        // Strings with escapes, character literals, a string continued on the next line, and
        // now and then a stray quote that opens nothing (the scanner must not rescan the rest
        // of the line once per quote).
        out.push_back('"');
        appendWords(out, rng, 1 + rng.below(6));
        out.append(rng.chance(50) ? "\\n\\t\\x41\\101\\\"" : "");
        out.append("\" ");
        out.append(rng.chance(50) ? "'a' '\\n' " : "L\"wide\" ");
        if (rng.chance(10)) {
            out.append("\"continued \\\nline\" ");
        }
        if (rng.chance(10)) {
            out.append("it's \"unterminated ");
            appendWords(out, rng, 3);
        }
        out.push_back('\n');
        break;
    case Kind::Comments:
        if (rng.chance(50)) {
            out.append("// ");
            appendWords(out, rng, 3 + rng.below(8));
            out.push_back('\n');
        } else {
            out.append("/* ");
            for (std::uint32_t i = 0, lines = rng.below(6); i < lines; ++i) {
                appendWords(out, rng, 3 + rng.below(6));
                out.append("\n * ");
            }
            appendWords(out, rng, 2);
            out.append(" */\n");
        }
        break;
    case Kind::Code: {
        // Something shaped like ordinary C++: a declaration or a statement per line.
        switch (rng.below(5)) {
        case 0:
            out.append("static int ");
            appendIdentifier(out, rng);
            out.append("(const char* s, unsigned n) {\n");
            break;
        case 1:
            out.append("    if (");
            appendIdentifier(out, rng);
            out.append(" >= ");
            appendNumber(out, rng);
            out.append(") return ");
            appendIdentifier(out, rng);
            out.append("->value;\n");
            break;
        case 2:
            out.append("    printf(\"%d items\\n\", n); // ");
            appendWords(out, rng, 4);
            out.push_back('\n');
            break;
        case 3:
            out.append("}\n/* ");
            appendWords(out, rng, 6);
            out.append(" */\n#include <vector>\n");
            break;
        default:
            out.append("    x = y << 2 | 'c'; z += 1.5e3f;\r\n");
            break;
        }
        break;
    }
    }
}

std::string generateText(Kind kind, std::size_t bytes, std::uint64_t seed)
{
    Random rng(seed);
    std::string out;
    out.reserve(bytes + 256);
    while (out.size() < bytes) appendLine(out, kind, rng);
    return out;
}

// A temporary directory of generated source files, removed again when the program ends.
class GeneratedCorpus {
public:
    GeneratedCorpus()
    {
        const std::array<Kind, 5> kinds = {Kind::Code, Kind::Identifiers, Kind::Numbers, Kind::Strings,
                                           Kind::Comments};
        for (std::size_t i = 0; i < 8; ++i) {
            const Kind kind = i < 4 ? Kind::Code : kinds[i - 3];
            std::ofstream(dir() / ("generated_" + std::to_string(i) + (i % 2 ? ".h" : ".cpp")), std::ios::binary)
                << generateText(kind, 16 * 1024, i + 1);
        }
    }
    const fs::path& dir() const { return m_temp.dir(); }

private:
    qm::bench::TempDir m_temp{"qm-lexer-bench"};
};

// ---------------------------------------------------------------------------------------------
// Benchmarks

struct CorpusBench {
    std::string name;
    std::vector<std::string> files;
    std::optional<TokenMemory> memory;  // measured on the first call only
};

void benchCorpus(benchmark::State& state, CorpusBench& corpus)
{
    if (corpus.files.empty()) {
        state.SkipWithError("no C/C++ files in the corpus");
        return;
    }
    // Untimed: brings the files into the page cache and measures the token memory.
    if (!corpus.memory) {
        corpus.memory = measureTokenMemory(corpus.files);
    }
    const TokenMemory& memory = *corpus.memory;

    auto bestRead = Clock::duration::max();
    auto bestLex = Clock::duration::max();
    PassTotals read;
    PassTotals lex;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        read = readAndCountLines(corpus.files);
        const auto t1 = Clock::now();
        lex = readAndTokenize(corpus.files);
        const auto t2 = Clock::now();
        benchmark::DoNotOptimize(read.count);
        benchmark::DoNotOptimize(lex.count);
        bestRead = std::min(bestRead, t1 - t0);
        bestLex = std::min(bestLex, t2 - t1);
    }
    if (read.bytes != lex.bytes || lex.bytes == 0) {
        state.SkipWithError("the corpus changed during the run, or all its files are empty");
        return;
    }

    const double mb = static_cast<double>(lex.bytes) / kMega;
    const double readSeconds = seconds(bestRead);
    const double lexSeconds = seconds(bestLex);
    const double readRate = mb / readSeconds;
    const double lexRate = mb / lexSeconds;
    const double heapShare = static_cast<double>(memory.heapTextBytes) /
                             std::max(1.0, static_cast<double>(memory.vectorBytes + memory.heapTextBytes));
    state.counters["files"] = static_cast<double>(lex.files);
    state.counters["MB"] = mb;
    state.counters["read_MBps"] = readRate;
    state.counters["lex_MBps"] = lexRate;
    state.counters["lex_over_read"] = lexRate / readRate;
    state.counters["lex_s"] = lexSeconds;
    state.counters["token_mem_ratio"] = memory.ratio();

    char line[512];
    std::snprintf(line, sizeof line,
                  "summary corpus=%s files=%llu MB=%.2f tokens=%llu read_MBps=%.1f lex_MBps=%.1f "
                  "lex_over_read=%.3f read_s=%.6g lex_s=%.6g token_mem_ratio=%.2f heap_text_share=%.3f",
                  corpus.name.c_str(), static_cast<unsigned long long>(lex.files), mb,
                  static_cast<unsigned long long>(memory.tokens), readRate, lexRate, lexRate / readRate, readSeconds,
                  lexSeconds, memory.ratio(), heapShare);
    setSummary("corpus", line);
}

struct LinearityBench {
    const char* name;
    Kind kind;
    std::size_t n;
    std::string small;  // generated on the first call only
    std::string large;
};

void benchLinearity(benchmark::State& state, LinearityBench& bench)
{
    if (bench.small.empty()) {
        bench.small = generateText(bench.kind, bench.n, 7);
        bench.large = generateText(bench.kind, 2 * bench.n, 7);
    }
    auto run = [](const std::string& text) {
        std::vector<Token> tokens;
        const auto t0 = Clock::now();
        qm::frontend::tokenizeText(text, tokens, discardDiagnostics());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(tokens.data());
        return t1 - t0;
    };
    auto bestSmall = Clock::duration::max();
    auto bestLarge = Clock::duration::max();
    for (auto _ : state) {
        bestSmall = std::min(bestSmall, run(bench.small));
        bestLarge = std::min(bestLarge, run(bench.large));
    }
    const double ratio = seconds(bestLarge) / seconds(bestSmall);
    const double nMb = static_cast<double>(bench.small.size()) / kMega;
    const double rate = static_cast<double>(bench.large.size()) / kMega / seconds(bestLarge);
    state.counters["N_MB"] = nMb;
    state.counters["lex_MBps"] = rate;
    state.counters["time_2N_over_N"] = ratio;

    char line[256];
    std::snprintf(line, sizeof line, "summary linearity=%s N_MB=%.3f t_N_s=%.6g t_2N_s=%.6g ratio=%.3f lex_MBps=%.1f",
                  bench.name, nMb, seconds(bestSmall), seconds(bestLarge), ratio, rate);
    setSummary(std::string("linearity/") + bench.name, line);
}

}  // namespace

int main(int argc, char** argv)
{
    qm::bench::CommonOptions options;
    qm::bench::parseOptions(argc, argv, options, [](const char* program) {
        std::printf("usage: %s [--corpus=DIR] [--smoke] [benchmark flags]\n"
                    "  --corpus=DIR  source tree to read (default: $QM_BENCH_CORPUS, else %s)\n"
                    "  --smoke       generated input only, small sizes (for CI)\n",
                    program, kDefaultCorpus);
    });
    if (!qm::bench::initializeLibrary(argc, argv)) {
        return 1;
    }

    const bool haveCorpus = qm::bench::useCorpus(options, "lexer_bench");
    const bool smallInputs = !haveCorpus;

    std::unique_ptr<GeneratedCorpus> generated;
    CorpusBench corpus;
    corpus.name = options.corpus;
    std::string corpusDir = options.corpus;
    if (!haveCorpus) {
        generated = std::make_unique<GeneratedCorpus>();
        corpusDir = generated->dir().string();
        corpus.name = "generated";
    }
    corpus.files = collectSourceFiles(corpusDir);

    benchmark::RegisterBenchmark(("corpus/" + corpus.name).c_str(),
                                 [&corpus](benchmark::State& state) { benchCorpus(state, corpus); })
        ->Unit(benchmark::kMillisecond);

    const std::size_t n = smallInputs ? 64 * 1024 : 4 * 1024 * 1024;
    std::vector<std::unique_ptr<LinearityBench>> linearity;
    for (const auto& [kind, name] : kLinearityKinds) {
        auto& bench = *linearity.emplace_back(std::make_unique<LinearityBench>(LinearityBench{name, kind, n, {}, {}}));
        benchmark::RegisterBenchmark((std::string("linearity/") + name).c_str(),
                                     [&bench](benchmark::State& state) { benchLinearity(state, bench); })
            ->Unit(benchmark::kMillisecond);
    }

    return qm::bench::runAndSummarize(options);
}
