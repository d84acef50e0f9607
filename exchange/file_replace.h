// Replacing a file's content so that a reader never sees half of it.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace rupena::exchange {

// Writes `bytes` to a temporary file beside `path`, flushes and closes it,
// then renames it over `path`. Returns no error when `path` now holds
// exactly `bytes`; otherwise the reason the system gave (a missing folder,
// no permission, a folder in the way, a full disk), the temporary file is
// removed and `path` is left as it was before the call (absent if it was
// absent). A file that exists but may not be written is not replaced,
// as Windows refuses to: permission_denied. Never throws.
std::error_code ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) noexcept;

}  // namespace rupena::exchange
