// Where the user left the window: two decimal lines (left, top), each ended
// by CR LF, in a file beside the executable.
#pragma once

#include <cstdint>
#include <filesystem>

namespace rupena::app {

struct WindowPosition {
  std::int32_t left = 0;
  std::int32_t top = 0;
  bool operator==(const WindowPosition&) const = default;
};

// The position file of an executable: its own path with the extension ".dat".
std::filesystem::path PositionFilePath(const std::filesystem::path& exePath);

// (0, 0) when the file is missing; a line that is not a whole integer, or
// is missing, gives 0 for its value. Never fails, never throws.
WindowPosition ReadPosition(const std::filesystem::path& path) noexcept;

// Replaces the file crash-safe: afterwards it holds both lines or is exactly
// as it was. Returns false on failure.
bool WritePosition(const std::filesystem::path& path, WindowPosition position) noexcept;

}  // namespace rupena::app
