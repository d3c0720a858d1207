#include "project/workspace_import.h"

namespace qm::project {

// The readers follow in the next change; until then every import reports the file unreadable.
bool importDsp(const std::string&, ImportResult&, frontend::LogSink& log)
{
    log.writeLine("File Open Error");
    return false;
}

bool importDsw(const std::string&, ImportResult&, frontend::LogSink& log)
{
    log.writeLine("File Open Error");
    return false;
}

bool importVcproj(const std::string&, ImportResult&, frontend::LogSink& log)
{
    log.writeLine("File Open Error");
    return false;
}

bool importByKind(FileKind kind, const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    switch (kind) {
    case FileKind::Dsp: return importDsp(path, result, log);
    case FileKind::Dsw: return importDsw(path, result, log);
    case FileKind::Vcproj: return importVcproj(path, result, log);
    default: return false;
    }
}

}  // namespace qm::project
