// Replacing a file's content so that a failure never leaves a half-written file behind.
#pragma once

#include <filesystem>
#include <string_view>

namespace qm::frontend {

// Writes `bytes` to a new temporary file beside `path`, flushes it to the disk and renames it
// over `path`: afterwards the file holds either its old content or all of `bytes`. A symbolic
// link at `path` is followed (the file it points to is replaced, the link stays); the old file's
// permission bits are kept. On failure the temporary file is removed and model::Error is thrown
// with the text "<path> : cannot write file".
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace qm::frontend
