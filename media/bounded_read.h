#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace media {

// A file's whole contents, or in plain words why they were not read.
struct FileContents {
    // Exactly as long as the file, so a sanitizer sees a read past its end.
    std::vector<char> bytes;
    std::string failure; // empty when `bytes` hold the whole file
    bool missing = false; // no file of that name, a failure some callers may accept
};

// Data files come from a folder the player controls. Only a regular file of
// at most `limit` bytes is read: a device, a named pipe or a huge sparse file
// is refused before a byte of it is read, and never blocks.
FileContents read_bounded(const std::string& path, std::size_t limit);

} // namespace media
