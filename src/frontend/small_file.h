// Reading a whole settings or project file into memory, with a size limit: such files are small,
// and a huge one (or one line of a gigabyte) must not take the memory of the program.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace qm::frontend {

// Project files and option files larger than this are not read.
constexpr std::size_t kMaxSmallFileBytes = std::size_t{64} * 1024 * 1024;

// The text that reports such a file: "<path> : file too large", as for source files.
std::string fileTooLargeMessage(const std::filesystem::path& path);

enum class SmallFileRead { Read, CannotOpen, TooLarge };

// Reads the regular file at `path` whole into `bytes` when it holds at most `maxBytes` (also if
// it grows while it is read). A folder, a FIFO or a device is never opened for reading (nothing
// waits for a writer). On anything but Read, `bytes` is left empty.
SmallFileRead readSmallFile(const std::filesystem::path& path, std::string& bytes,
                            std::size_t maxBytes = kMaxSmallFileBytes);

// Splits `text` into lines at LF, taking off a CR before it; a last line without a line end
// counts, an empty text has no lines.
class TextLines {
public:
    explicit TextLines(std::string_view text) : m_rest(text) {}
    // The next line; false after the last one.
    bool next(std::string& line);

private:
    std::string_view m_rest;
    bool m_done = false;
};

}  // namespace qm::frontend
