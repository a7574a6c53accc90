// The command lines of the programs, read by one parser so that they all
// take the same forms: long options as "--name value" or "--name=value",
// flags without a value, operands in any place, "--" ending the options and
// "-" standing for itself (standard input or output). "-h" is "--help".
// Every program knows "--help" and "--version".
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt {

struct OptionSpec {
  std::string_view name;  // "--port"
  bool takesValue = false;
};

struct CommandLine {
  struct Option {
    std::string name;
    std::string value;  // "" for a flag
  };
  std::vector<Option> options;  // in the order given
  std::vector<std::string> operands;
  // Arguments that look like options of someone else ("-platform"): kept,
  // not judged, when the caller lets others have single-dash options.
  std::vector<std::string> foreign;
  // What is wrong, for "PROGRAM: <error>"; "" when nothing is.
  std::string error;

  bool Has(std::string_view name) const;
  // The value given last, if the option was given.
  std::optional<std::string> Value(std::string_view name) const;
};

enum class ForeignOptions { kRefuse, kKeep };

// `args` without the program's name. The first fault ends the reading; an
// option after "--help" or "--version" is still read, so that a typo does
// not show help instead of saying what is wrong.
CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             std::span<const OptionSpec> known,
                             ForeignOptions foreign = ForeignOptions::kRefuse);

}  // namespace quelt
