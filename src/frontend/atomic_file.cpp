#include "frontend/atomic_file.h"

#include "model/error.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {

namespace fs = std::filesystem;

namespace {

// Symbolic links followed from the saved name to the file itself; more means a loop.
constexpr int kMaxLinkHops = 40;
// Bytes of the target's name that its temporary files start with, after a dot.
constexpr std::size_t kNamePrefixBytes = 32;

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

std::uint64_t fnv1a(std::string_view text)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

}  // namespace

// However long the name, the temporary's stays far below the file system's limit of 255 bytes.
std::string temporaryNameStem(const fs::path& target)
{
    const std::string name = target.filename().string();
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(name)));
    return "." + name.substr(0, kNamePrefixBytes) + "~" + hash + ".";
}

namespace {

// The process id in a temporary's name "<stem><pid>-<counter>.tmp", or 0 when `name` is not
// one of the stem's.
pid_t temporaryOwner(std::string_view name, std::string_view stem)
{
    constexpr std::string_view kSuffix = ".tmp";
    if (!name.starts_with(stem) || !name.ends_with(kSuffix)) return 0;
    name.remove_prefix(stem.size());
    name.remove_suffix(kSuffix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 10) return 0;
    std::uint64_t pid = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (i == dash) continue;
        if (c < '0' || c > '9') return 0;
        if (i < dash) pid = pid * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return pid > 0 && pid <= 0x7fffffff ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporary files of `target` that a save which never ended left behind: those whose
// process is gone. Those of this process and of running ones may belong to a save under way.
// Temporaries named the earlier way ("<name>.<pid>-<counter>.tmp") are found too.
void removeStaleTemporaries(const fs::path& target)
{
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    const std::string stems[] = {temporaryNameStem(target), target.filename().string() + "."};
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        for (const std::string& stem : stems) {
            const pid_t owner = temporaryOwner(name, stem);
            if (owner == 0 || owner == ::getpid()) continue;
            if (::kill(owner, 0) != 0 && errno == ESRCH) {
                std::error_code ignored;
                if (it->is_regular_file(ignored)) fs::remove(it->path(), ignored);
            }
            break;
        }
    }
}

// Creates a new file beside `target` that nobody else uses; returns its descriptor or -1.
int createTemporaryBeside(const fs::path& target, fs::path& temporary)
{
    static std::atomic<unsigned> counter{0};
    const std::string stem = temporaryNameStem(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target.parent_path() / (stem + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp");
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The file that saving under `path` is to replace: symbolic links are followed, also one whose
// file does not exist yet (the save creates it where the link points, so the link stays).
// Anything but a regular file or a missing one is refused, so that a FIFO, a device or a folder
// is never replaced by a regular file.
fs::path saveTarget(const fs::path& path)
{
    fs::path target = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT) return target;
            throwCannotWrite(path);
        }
        if (S_ISREG(st.st_mode)) return target;
        if (S_ISDIR(st.st_mode)) throwCannotWrite(path);
        if (!S_ISLNK(st.st_mode)) {
            throw model::Error(path.string() + " : not a regular file");
        }
        if (hops == kMaxLinkHops) throwCannotWrite(path);
        std::error_code ec;
        const fs::path link = fs::read_symlink(target, ec);
        if (ec) throwCannotWrite(path);
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
}

}  // namespace

void writeFileAtomically(const fs::path& path, std::string_view bytes)
{
    const fs::path target = saveTarget(path);
    removeStaleTemporaries(target);
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
