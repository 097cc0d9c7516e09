#pragma once

#include <string>

// Asks the kernel to forget a file's cached pages, so that the next read
// comes from the disk; needs no privileges. Returns how many of the file's
// pages are still resident afterwards (0 when it worked), or -1 on error.
long evict_from_page_cache(const std::string& path);
