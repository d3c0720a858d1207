// Replacing a file's content so that a failure never leaves a half-written file behind.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qm::frontend {

// Writes `bytes` to a new temporary file beside `path`, flushes it to the disk and renames it
// over `path`: afterwards the file holds either its old content or all of `bytes`. A symbolic
// link at `path` is followed (the file it points to is replaced or, when it does not exist yet,
// created; the link stays); the old file's permission bits are kept. The temporary file has a
// short name of its own, so a name near the file system's limit can be saved; temporaries of the
// same file left by a save that was killed are removed. On failure the temporary file is removed
// and model::Error is thrown with the text "<path> : cannot write file" (also for a folder in the
// way); a FIFO, socket or device at `path` is left alone with "<path> : not a regular file".
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The start of the names of `target`'s temporary files, which go on with "<pid>-<counter>.tmp":
// a dot, the first 32 bytes of the name, '~', a hash of the whole name and a dot.
std::string temporaryNameStem(const std::filesystem::path& target);

}  // namespace qm::frontend
