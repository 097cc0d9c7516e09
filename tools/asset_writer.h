#pragma once

#include <QString>

namespace assets {

// Writes every picture and sound under data_dir and every icon under
// icon_dir, creating the folders. Throws std::runtime_error naming the file
// that could not be written.
void write_all_assets(const QString& data_dir, const QString& icon_dir);

} // namespace assets
