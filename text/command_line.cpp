#include "text/command_line.h"

#include <algorithm>
#include <array>

namespace quelt {
namespace {

constexpr std::array<OptionSpec, 2> kEveryProgram{{{"--help", false}, {"--version", false}}};

const OptionSpec* Find(std::string_view name, std::span<const OptionSpec> known) {
  for (const auto& list : {std::span<const OptionSpec>(kEveryProgram), known}) {
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const OptionSpec& o) { return o.name == name; });
    if (it != list.end()) return &*it;
  }
  return nullptr;
}

}  // namespace

bool CommandLine::Has(std::string_view name) const {
  return std::any_of(options.begin(), options.end(),
                     [&](const Option& o) { return o.name == name; });
}

std::optional<std::string> CommandLine::Value(std::string_view name) const {
  for (auto it = options.rbegin(); it != options.rend(); ++it) {
    if (it->name == name) return it->value;
  }
  return std::nullopt;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args,
                             std::span<const OptionSpec> known, ForeignOptions foreign) {
  CommandLine line;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
      line.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    if (a == "-h") {
      line.options.push_back({"--help", ""});
      continue;
    }
    if (a.rfind("--", 0) != 0) {
      if (foreign == ForeignOptions::kKeep) {
        line.foreign.push_back(a);
        continue;
      }
      line.error = "unknown option '" + a + "'";
      return line;
    }
    const std::size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    const OptionSpec* option = Find(name, known);
    if (option == nullptr) {
      line.error = "unknown option '" + name + "'";
      return line;
    }
    if (!option->takesValue) {
      if (eq != std::string::npos) {
        line.error = name + " takes no value";
        return line;
      }
      line.options.push_back({name, ""});
      continue;
    }
    std::string value;
    if (eq != std::string::npos) {
      value = a.substr(eq + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    }
    if (value.empty()) {
      line.error = name + " needs a value";
      return line;
    }
    line.options.push_back({name, value});
  }
  return line;
}

}  // namespace quelt
