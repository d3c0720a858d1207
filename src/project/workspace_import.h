// Reading the source files and preprocessor definitions that Visual C++ workspace (.dsw),
// project (.dsp) and XML project (.vcproj) files name. The readers scan lines; they do not parse
// the formats, and they never write them.
#pragma once

#include "frontend/log_sink.h"
#include "project/file_kind.h"

#include <set>
#include <string>
#include <vector>

namespace qm::project {

struct ImportResult {
    std::vector<std::string> sourcePaths;    // as written in the imported file
    std::vector<std::string> resolvedPaths;  // full paths of the sources that could be opened
    std::set<std::string> defines;           // sorted byte-wise, no duplicates
};

// Each reader fills `result` and writes its messages ("File Open Error", the resolved paths, ...)
// to `log`. Returns false when the file itself could not be read, in which case nothing is to be
// added.
bool importDsp(const std::string& path, ImportResult& result, frontend::LogSink& log);
bool importDsw(const std::string& path, ImportResult& result, frontend::LogSink& log);
bool importVcproj(const std::string& path, ImportResult& result, frontend::LogSink& log);

// The reader for `kind` (Dsp, Dsw or Vcproj); false for other kinds.
bool importByKind(FileKind kind, const std::string& path, ImportResult& result, frontend::LogSink& log);

}  // namespace qm::project
