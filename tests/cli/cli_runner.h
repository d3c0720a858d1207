// Runs the built quillmarsh-cli and captures what it prints.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace qm::cli::testing {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

// Runs `program` (a copy of quillmarsh-cli) with `args`.
inline CliResult runProgram(const std::string& program, const std::vector<std::string>& args)
{
    namespace fs = std::filesystem;
    const fs::path errFile = fs::temp_directory_path() / ("qm-cli-err-" + std::to_string(::getpid()));
    std::string command = shellQuote(program);
    for (const auto& a : args) command += " " + shellQuote(a);
    command += " 2>" + shellQuote(errFile.string());
    CliResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errFile, std::ios::binary);
    std::stringstream ss;
    ss << err.rdbuf();
    result.err = ss.str();
    fs::remove(errFile);
    return result;
}

inline CliResult runCli(const std::vector<std::string>& args)
{
    return runProgram(QM_CLI_PATH, args);
}

}  // namespace qm::cli::testing
