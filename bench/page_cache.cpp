#include "bench/page_cache.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

long resident_pages(int fd, off_t size)
{
    if (size == 0)
        return 0;
    void* const map = mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED)
        return -1;
    const long page = sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> in_core(static_cast<size_t>((size + page - 1) / page));
    long resident = -1;
    if (mincore(map, static_cast<size_t>(size), in_core.data()) == 0) {
        resident = 0;
        for (const unsigned char flags : in_core)
            resident += flags & 1;
    }
    munmap(map, static_cast<size_t>(size));
    return resident;
}

} // namespace

long evict_from_page_cache(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info = {};
    long resident = -1;
    if (fstat(fd, &info) == 0 && posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0)
        resident = resident_pages(fd, info.st_size);
    close(fd);
    return resident;
}
