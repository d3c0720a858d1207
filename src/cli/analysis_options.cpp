#include "cli/analysis_options.h"

#include "cli/cli_command.h"

#include "frontend/c_numbers.h"
#include "frontend/option_files.h"
#include "frontend/tokenize_file.h"
#include "parser/make_analysis_engine.h"
#include "project/message_reporter.h"
#include "project/project_document.h"
#include "project/project_file.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace qm::cli {

namespace fs = std::filesystem;

namespace {

// Whether the regular file at `path` reads as a project file: it has the title line or one of
// the section lines. The desktop program reads any text as a project (lines outside the sections
// are skipped), which would turn a mistyped file name into a silently empty run here. Only the
// first 16 MiB are looked at.
bool looksLikeProjectFile(const std::string& path)
{
    constexpr std::size_t kLookedAt = std::size_t{16} << 20;
    std::ifstream in(path, std::ios::binary);
    std::string text(kLookedAt, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line == project::kProjectFileTitle || line == "<Option>" || line == "<Define>" || line == "<File>") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

}  // namespace

void addAnalysisOptions(CLI::App& command, AnalysisOptions& options)
{
    command.add_option("INPUT", options.inputs,
                       "Source files (.c, .cc, .cpp, .cxx) and headers (.h, .hpp, .hh, .hxx, .inl, .ipp), folders "
                       "(searched with their subfolders), project files "
                       "(.qmp: their files and defines) and Visual C++ workspaces and projects (.dsw, .dsp, "
                       ".vcproj: the sources and defines they name)");
    // One value per occurrence: `-D X a.cpp` names the input a.cpp, not a second word.
    command.add_option("-I", options.includeDirectories, "An include directory of the run (repeatable, in order)")
        ->type_name("DIR")
        ->allow_extra_args(false);
    command.add_option("-D", options.defines, "A global predefined word, value 1 when omitted (repeatable)")
        ->type_name("NAME[=VALUE]")
        ->allow_extra_args(false);
    command.add_option("--options-dir", options.optionsDir,
                       "Read Include.ini and predefined.ini from DIR (without predefined.ini, or without this "
                       "option, the default words of this platform); -I and -D add after what they give")
        ->type_name("DIR");
    command.add_option("--include-list", options.includeList, "The include list of Include.ini to use (0 to 3)")
        ->check(CLI::Range(0, 3))
        ->type_name("N");
    command.add_flag("--parse-vc-header", options.parseVcHeader, "Follow #include <...> through the include directories");
    command.add_option("--jobs", options.jobs,
                       "Threads that read the next files ahead and parse files while the next ones are preprocessed "
                       "(default: one per core; 1 reads and parses on the run's own thread). The output is the same "
                       "for every value")
        ->check(CLI::Range(0, 256))
        ->type_name("N");
    command.add_flag("--preprocess-same-file", options.preprocessSameFile,
                     "Preprocess a header again each time it is included");
    command.add_flag("--verbose", options.verbose,
                     "Write every unknown-character message (without it, the first 100 of each file and a count)");
}

int checkInputsGiven(const AnalysisOptions& options)
{
    if (!options.inputs.empty()) {
        return kExitSuccess;
    }
    std::cerr << "no inputs: name the source files, folders or project files (.qmp) to analyse, for example\n"
                 "  quillmarsh-cli list src\n";
    return kExitUsage;
}

frontend::PredefinedWord parseDefine(const std::string& text)
{
    const auto eq = text.find('=');
    if (eq == std::string::npos) {
        return {text, 1};
    }
    return {text.substr(0, eq), frontend::narrowToInt32(frontend::parseAtol(std::string_view(text).substr(eq + 1)))};
}

bool buildRunSettings(const AnalysisOptions& options, frontend::RunSettings& settings)
{
    project::ProjectDocument document;
    project::StreamReporter reporter(std::cerr);
    frontend::LogSink importLog([](std::string_view line) { std::cerr << line << '\n'; });
    bool allFound = true;
    for (const std::string& input : options.inputs) {
        std::error_code ec;
        const std::string path = fs::absolute(fs::path(input), ec).lexically_normal().string();
        if (!fs::exists(path, ec)) {
            std::cerr << input << ": no such file or directory\n";
            allFound = false;
            continue;
        }
        if (fs::is_directory(path, ec)) {
            const std::size_t before = document.files().paths().size();
            document.addFolder(path, true, importLog);
            if (document.files().paths().size() == before) {
                std::cerr << input << ": no C or C++ files in this folder or below it\n";
            }
            continue;
        }
        if (project::classifyPath(path) == project::FileKind::Project) {
            // A pipe or a folder named like one is left to the reader, which refuses it unread.
            if (fs::is_regular_file(path, ec) && !looksLikeProjectFile(path)) {
                std::cerr << input << ": not a project file (it has neither the line \"" << project::kProjectFileTitle
                          << "\" nor a <File> or <Define> section)\n";
                allFound = false;
                continue;
            }
            // A project file adds to what the earlier inputs gave; opening it on its own document
            // keeps those.
            project::ProjectDocument opened;
            if (!opened.open(path, reporter)) {
                allFound = false;
                continue;
            }
            for (const std::string& file : opened.files().paths()) {
                document.files().add(file);
            }
            document.defines().insert(document.defines().end(), opened.defines().begin(), opened.defines().end());
            continue;
        }
        switch (document.addByKind(path, importLog)) {
        case project::AddOutcome::SourceAdded:
        case project::AddOutcome::Imported:
            break;
        case project::AddOutcome::ImportFailed:
            allFound = false;  // the importer wrote why
            break;
        case project::AddOutcome::Ignored:
            std::cerr << input << ": skipped (not a C or C++ source file)\n";
            break;
        }
    }

    // Without an options folder the run is that of a user who has saved no words yet.
    frontend::PredefinedWordList globalWords = frontend::defaultPredefinedWords();
    settings.includeDirectories.clear();
    if (!options.optionsDir.empty()) {
        const fs::path dir(options.optionsDir);
        frontend::IncludeDirectoryLists lists;
        const auto report = [](std::string_view message) { std::cerr << message << '\n'; };
        frontend::loadIncludeLists(dir / "Include.ini", lists, report);
        settings.includeDirectories = frontend::selectIncludeList(lists, options.includeList);
        globalWords = frontend::loadPredefinedWords(dir / "predefined.ini", report);
    }
    settings.includeDirectories.insert(settings.includeDirectories.end(), options.includeDirectories.begin(),
                                       options.includeDirectories.end());
    for (const std::string& define : options.defines) {
        globalWords.push_back(parseDefine(define));
    }
    settings.macroSeeds = frontend::buildMacroSeeds(globalWords, document.defines());
    settings.files = document.runEntries();
    settings.followAngleIncludes = options.parseVcHeader;
    settings.preprocessSameFile = options.preprocessSameFile;
    settings.jobs = options.jobs;
    if (allFound && !options.inputs.empty() && settings.files.empty()) {
        std::cerr << "nothing to analyse: the inputs hold no C or C++ files (sources: .c .cc .cpp .cxx; headers: .h "
                     ".hpp .hh .hxx .inl .ipp)\n";
        return false;
    }
    return allFound;
}

AnalysisRun::AnalysisRun()
    : log([](std::string_view line) { std::cerr << line << '\n'; }),
      engineOwner(parser::makeAnalysisEngine(log)),
      engine(*engineOwner)
{
}

void LeaveToExit::operator()(AnalysisRun* run) const noexcept
{
    static auto* const kept = new std::vector<AnalysisRun*>();
    try {
        kept->push_back(run);
    } catch (...) {
        delete run;  // no room even for a pointer: free it after all
    }
}

AnalysisRunPtr runAnalysis(const AnalysisOptions& options)
{
    frontend::setUnknownCharacterLimit(options.verbose ? 0 : frontend::kDefaultUnknownCharacterLimit);
    frontend::RunSettings settings;
    if (!buildRunSettings(options, settings)) {
        return nullptr;
    }
    AnalysisRunPtr run(new AnalysisRun());
    run->engine.runSynchronously(std::move(settings));
    return run;
}

}  // namespace qm::cli
