#include "frontend/small_file.h"

#include "frontend/file_descriptor.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {

std::string fileTooLargeMessage(const std::filesystem::path& path)
{
    return path.string() + " : file too large";
}

SmallFileRead readSmallFile(const std::filesystem::path& path, std::string& bytes, std::size_t maxBytes)
{
    bytes.clear();
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return SmallFileRead::CannotOpen;
    }
    if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return SmallFileRead::TooLarge;
    }
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);  // one more shows growth
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes) {
                bytes.clear();
                return SmallFileRead::TooLarge;
            }
            bytes.resize(std::min(bytes.size() + 65536, maxBytes + 1));
        }
        const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            bytes.clear();
            return SmallFileRead::CannotOpen;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done > maxBytes) {
        bytes.clear();
        return SmallFileRead::TooLarge;
    }
    bytes.resize(done);
    return SmallFileRead::Read;
}

bool TextLines::next(std::string& line)
{
    if (m_done || m_rest.empty()) {
        return false;
    }
    const std::size_t end = m_rest.find('\n');
    std::string_view piece = m_rest.substr(0, end);
    if (end == std::string_view::npos) {
        m_rest = {};
        m_done = true;
    } else {
        m_rest.remove_prefix(end + 1);
    }
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    line.assign(piece);
    return true;
}

}  // namespace qm::frontend
