// FileDescriptor: a POSIX file descriptor that closes itself.
#pragma once

#include <unistd.h>

namespace qm::frontend {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const noexcept { return m_fd; }
    bool isOpen() const noexcept { return m_fd >= 0; }

private:
    int m_fd;
};

}  // namespace qm::frontend
