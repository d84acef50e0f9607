#pragma once
// The system's own words for why a file operation failed, in the language
// of the user's Windows, as Explorer would show them.

#include <string>
#include <system_error>

namespace rupena::win32 {

// The reasons the C library reports (errno values: no permission, no such
// folder, a full disk, ...) in Windows's message for the matching error;
// any other reason in the words of its category. Never empty.
std::wstring SystemErrorText(std::error_code reason);

}  // namespace rupena::win32
