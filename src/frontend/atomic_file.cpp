#include "frontend/atomic_file.h"

#include "model/error.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwCannotWrite(const fs::path& path)
{
    throw model::Error(path.string() + " : cannot write file");
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Creates a new file beside `target` that nobody else uses; returns its descriptor or -1.
int createTemporaryBeside(const fs::path& target, fs::path& temporary)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target;
        temporary += "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

void writeFileAtomically(const fs::path& path, std::string_view bytes)
{
    fs::path target = path;
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path resolved = fs::canonical(path, ec);
        if (!ec) target = resolved;
    }
    fs::path temporary;
    const int fd = createTemporaryBeside(target, temporary);
    if (fd < 0) {
        throwCannotWrite(path);
    }
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        (void)::fchmod(fd, old.st_mode & 07777);  // keep the permissions the user gave the file
    }
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throwCannotWrite(path);
    }
    const fs::path folder = target.parent_path();
    const int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        (void)::fsync(folderFd);  // makes the rename itself survive a power cut; failure changes nothing
        ::close(folderFd);
    }
}

}  // namespace qm::frontend
