// `quillmarsh-cli project`: opens, fills and saves one project as the desktop program does, and
// prints its files and defines.
#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "frontend/log_sink.h"
#include "project/message_reporter.h"
#include "project/project_document.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

namespace qm::cli {

namespace {

namespace fs = std::filesystem;

struct ProjectOptions {
    std::string open;
    std::vector<std::string> adds;
    std::vector<std::string> folders;
    bool recurse = false;
    std::string save;

    // The additions in command-line order: true for an --add, false for an --add-folder.
    std::vector<bool> order;
};

std::string fullPath(const std::string& input)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(input), ec);
    return ec ? input : absolute.lexically_normal().string();
}

void printProject(const project::ProjectDocument& document)
{
    const auto entries = document.runEntries();
    JsonStreamWriter out(stdout);
    std::string& b = out.buffer();
    b.append("{\"files\": [");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i) b.append(", ");
        b.append("{\"path\": ");
        appendJsonString(b, entries[i].path);
        b.append(entries[i].selected ? ", \"selected\": true}" : ", \"selected\": false}");
        out.maybeFlush();
    }
    b.append("], \"defines\": [");
    const auto& defines = document.defines();
    for (std::size_t i = 0; i < defines.size(); ++i) {
        if (i) b.append(", ");
        b.append("{\"name\": ");
        appendJsonString(b, defines[i].name);
        b.append(", \"value\": ");
        b.append(std::to_string(defines[i].value));
        b.push_back('}');
        out.maybeFlush();
    }
    b.append("]}\n");
}

int runProject(const ProjectOptions& options)
{
    // Every named input must exist before anything is changed, so a typing mistake never saves
    // a project that lacks a file.
    bool allFound = true;
    for (const auto* list : {&options.adds, &options.folders}) {
        for (const std::string& input : *list) {
            std::error_code ec;
            if (!fs::exists(fs::path(input), ec)) {
                std::cerr << input << ": no such file or directory\n";
                allFound = false;
            }
        }
    }
    if (!allFound) {
        return kExitInputError;
    }

    project::ProjectDocument document;
    project::StreamReporter reporter(std::cerr);
    frontend::LogSink log([](std::string_view line) { std::cerr << line << '\n'; });

    if (!options.open.empty()) {
        const std::string path = fullPath(options.open);
        if (project::classifyPath(path) != project::FileKind::Project) {
            std::cerr << options.open << ": not a project file (.qmp)\n";
            return kExitInputError;
        }
        if (!document.open(path, reporter)) {
            return kExitInputError;
        }
    }

    std::size_t nextAdd = 0;
    std::size_t nextFolder = 0;
    for (const bool isAdd : options.order) {
        if (isAdd) {
            const std::string& input = options.adds.at(nextAdd++);
            if (document.addByKind(fullPath(input), log) == project::AddOutcome::Ignored) {
                std::cerr << input << ": skipped (not a C or C++ source file)\n";
            }
        } else {
            document.addFolder(fullPath(options.folders.at(nextFolder++)), options.recurse, log);
        }
    }

    if (!options.save.empty() && !document.save(fullPath(options.save), reporter)) {
        return kExitInputError;
    }
    printProject(document);
    return kExitSuccess;
}

}  // namespace

void addProjectCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ProjectOptions>();
    CLI::App* cmd = app.add_subcommand(
        "project", "Open, fill and save a project as the desktop program does; prints its files and defines as JSON");
    cmd->add_option("--open", options->open, "Open this project file first")->type_name("FILE.qmp");
    CLI::Option* add = cmd->add_option("--add", options->adds,
                                       "Add a file by its kind: sources are added, .dsp, .dsw and .vcproj are "
                                       "imported (repeatable, in order with --add-folder)")
                           ->type_name("PATH")
                           ->allow_extra_args(false);
    CLI::Option* folder = cmd->add_option("--add-folder", options->folders,
                                          "Add every file of a folder by its kind (repeatable, in order with --add)")
                              ->type_name("DIR")
                              ->allow_extra_args(false);
    cmd->add_flag("--recurse", options->recurse, "Enter the subfolders of every --add-folder")->needs(folder);
    cmd->add_option("--save", options->save, "Save the project to this file after the additions")
        ->type_name("OUT.qmp");
    cmd->callback([&action, options, cmd, add, folder] {
        options->order.clear();
        for (const CLI::Option* option : cmd->parse_order()) {
            if (option == add) options->order.push_back(true);
            if (option == folder) options->order.push_back(false);
        }
        action = [options] { return runProject(*options); };
    });
}

}  // namespace qm::cli
