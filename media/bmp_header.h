#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace media {

// Qt's BMP reader accepts a file cut short and invents the missing pixels,
// and trusts any size a header claims. This reads the header itself and
// returns, in plain words, what is wrong with a Windows bitmap; nothing if
// the bytes hold everything the header promises.
std::optional<std::string> bmp_defect(std::string_view bytes);

} // namespace media
