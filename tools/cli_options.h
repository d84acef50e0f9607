// The command lines of rupena-cli, read into what each command needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rupena::tools {

// grid FILE [--text N] [--length L]
// split FILE [-o OUT] [--text N] [--spacing N=TEXT]... [--length L]
struct JobOptions {
  std::string_view file;
  std::optional<std::string_view> out;                // split only
  int text = 1;                                       // which handed-over text, from 1
  std::vector<std::pair<int, std::string>> spacings;  // data column, cell text
  std::optional<double> length;                       // to spread the characters over
};

// nullopt for a command line that does not fit: an unknown or repeated
// option, a missing value, a column or text number below 1, a length that
// is no number, --length together with --spacing, or -o for grid.
std::optional<JobOptions> ParseJobOptions(const std::vector<std::string_view>& args, bool split);

// A number argument as the window takes what is typed: full-width digits,
// signs and points (UTF-8, as a terminal gives them) as their ASCII forms.
// Anything else stays as given.
std::string NumberArgument(std::string_view argument);

}  // namespace rupena::tools
