#include "media/bounded_read.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace media {
namespace {

std::string not_a_file(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISFIFO(mode))
        return "it is a named pipe, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    return "it is not a regular file";
}

FileContents unreadable(int error)
{
    if (error == ENOENT)
        return {{}, "the file does not exist", true};
    return {{}, std::string("the file cannot be read (") + std::strerror(error) + ")"};
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

} // namespace

FileContents read_bounded(const std::string& path, std::size_t limit)
{
    // Non-blocking, so that opening a named pipe returns at once; what was
    // opened is then looked at, not the name, which may have changed since.
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return unreadable(errno);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return unreadable(errno);
    if (!S_ISREG(status.st_mode))
        return {{}, not_a_file(status.st_mode)};
    if (static_cast<unsigned long long>(status.st_size) > limit)
        return {{}, "it is " + std::to_string(status.st_size) + " bytes long, more than the "
                    + std::to_string(limit) + " bytes this game reads from one file"};

    // A file that grows meanwhile is read only as far as it was long.
    FileContents contents;
    contents.bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t filled = 0;
    while (filled < contents.bytes.size()) {
        const ssize_t got = ::read(file.get(), contents.bytes.data() + filled, contents.bytes.size() - filled);
        if (got < 0)
            return unreadable(errno);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    contents.bytes.resize(filled); // it may have shrunk meanwhile
    return contents;
}

} // namespace media
