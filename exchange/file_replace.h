// Replacing a file's content so that a reader never sees half of it.
#pragma once

#include <filesystem>
#include <string_view>

namespace rupena::exchange {

// Writes `bytes` to a temporary file beside `path`, flushes and closes it,
// then renames it over `path`. Returns true when `path` now holds exactly
// `bytes`. On any failure the temporary file is removed and `path` is left
// as it was before the call (absent if it was absent). Never throws.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) noexcept;

}  // namespace rupena::exchange
