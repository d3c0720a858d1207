#include "cli/analysis_options.h"

#include "frontend/c_numbers.h"
#include "frontend/option_files.h"
#include "project/project_file_list.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>

namespace qm::cli {

namespace fs = std::filesystem;

void addAnalysisOptions(CLI::App& command, AnalysisOptions& options)
{
    command.add_option("INPUT", options.inputs,
                       "Source files (.c, .cc, .cpp) and folders (searched with their subfolders). Project "
                       "files (.qmp) and Visual C++ files (.dsw, .dsp, .vcproj) are not read yet.");
    command.add_option("-I", options.includeDirectories, "An include directory of the run (repeatable, in order)")
        ->type_name("DIR");
    command.add_option("-D", options.defines, "A global predefined word, value 1 when omitted (repeatable)")
        ->type_name("NAME[=VALUE]");
    command.add_option("--options-dir", options.optionsDir,
                       "Read Include.ini and predefined.ini from DIR; -I and -D add after what they give")
        ->type_name("DIR");
    command.add_option("--include-list", options.includeList, "The include list of Include.ini to use (0 to 3)")
        ->check(CLI::Range(0, 3))
        ->type_name("N");
    command.add_flag("--parse-vc-header", options.parseVcHeader, "Follow #include <...> through the include directories");
    command.add_flag("--preprocess-same-file", options.preprocessSameFile,
                     "Preprocess a header again each time it is included");
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
    project::ProjectFileList files;
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
            files.addFolder(path, true);
            continue;
        }
        switch (files.addByKind(path)) {
        case project::FileKind::Source:
            break;
        case project::FileKind::Project:
        case project::FileKind::Dsp:
        case project::FileKind::Dsw:
        case project::FileKind::Vcproj:
            std::cerr << input << ": skipped (project and workspace files are not read yet)\n";
            break;
        default:
            std::cerr << input << ": skipped (not a C or C++ source file)\n";
            break;
        }
    }

    frontend::PredefinedWordList globalWords;
    settings.includeDirectories.clear();
    if (!options.optionsDir.empty()) {
        const fs::path dir(options.optionsDir);
        frontend::IncludeDirectoryLists lists;
        frontend::loadIncludeLists(dir / "Include.ini", lists);
        settings.includeDirectories = frontend::selectIncludeList(lists, options.includeList);
        globalWords = frontend::loadPredefinedWords(dir / "predefined.ini");
    }
    settings.includeDirectories.insert(settings.includeDirectories.end(), options.includeDirectories.begin(),
                                       options.includeDirectories.end());
    for (const std::string& define : options.defines) {
        globalWords.push_back(parseDefine(define));
    }
    settings.macroSeeds = frontend::buildMacroSeeds(globalWords, {});
    settings.files = files.runEntries();
    settings.followAngleIncludes = options.parseVcHeader;
    settings.preprocessSameFile = options.preprocessSameFile;
    return allFound;
}

}  // namespace qm::cli
