#include "app/argument_reader.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>
#include <sstream>

namespace talvex::app {
namespace {

constexpr std::size_t kHelpWidth = 80;

std::string long_name(const std::string& name) {
  return (name.size() == 1 ? "-" : "--") + name;
}

// The help in the layout the program has always printed: the usage line, the description, and
// each option as "-h, --help" or "--host <NAME>", its description wrapped to the terminal.
class HelpLayout : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string name,
                        CLI::AppFormatMode mode) const override {
    // The parser appends its own (empty) name to the program's.
    name.erase(name.find_last_not_of(' ') + 1);
    return "Usage: " + name + " [options]\n" + app->get_description() + "\n" +
           make_groups(app, mode);
  }
  std::string make_option_name(const CLI::Option* option, bool) const override {
    std::string names;
    for (const std::string& s : option->get_snames())
      names += "-" + s + ", ";
    for (const std::string& l : option->get_lnames())
      names += "--" + l + ", ";
    return names.substr(0, names.size() - 2);
  }
  std::string make_option_opts(const CLI::Option* option) const override {
    return option->get_expected_max() == 0 ? "" : " <" + option->get_type_name() + ">";
  }
  std::string make_option_desc(const CLI::Option* option) const override {
    // Words fill the lines after the option column; the layout indents each line break.
    const std::size_t room = kHelpWidth - 1 - get_column_width();
    std::istringstream words(option->get_description());
    std::string text, word;
    std::size_t line = 0;
    while (words >> word) {
      if (line > 0 && line + 1 + word.size() > room) {
        text += '\n';
        line = 0;
      } else if (line > 0) {
        text += ' ';
        ++line;
      }
      text += word;
      line += word.size();
    }
    return text;
  }
};

// The parser with the options of the table, help and version among them as plain switches: the
// program decides what they do. Every other argument lands in `stray`.
std::unique_ptr<CLI::App> make_parser(const std::string& description,
                                      const std::vector<ArgumentOption>& options,
                                      std::vector<std::string>& stray) {
  auto parser = std::make_unique<CLI::App>(description);
  parser->set_help_flag();
  parser->allow_extras();
  std::size_t column = 0;
  for (const ArgumentOption& option : options) {
    std::string names;
    for (const std::string& name : option.names)
      names += (names.empty() ? "" : ",") + long_name(name);
    CLI::Option* added = option.value_name.empty()
                             ? parser->add_flag(names, option.description)
                             : parser->add_option(names, option.description)
                                   ->type_name(option.value_name)
                                   ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    column = std::max(
        column, HelpLayout().make_option_name(added, false).size() + option.value_name.size() + 3);
  }
  parser->add_option("arguments", stray)->allow_extra_args();
  auto layout = std::make_shared<HelpLayout>();
  layout->column_width(column + 4);
  parser->formatter(layout);
  return parser;
}

const ArgumentOption* find_option(const std::vector<ArgumentOption>& options,
                                  const std::string& name) {
  for (const ArgumentOption& option : options) {
    if (std::find(option.names.begin(), option.names.end(), name) != option.names.end())
      return &option;
  }
  return nullptr;
}

// The spellings the parser does not take as the program always has: a long option after one
// dash ("-port 5"), and a value after "=" that may be empty ("--password="). Each becomes
// "--name" followed by its value; a value given as the next argument is passed on untouched,
// whatever it looks like. Arguments after "--" are never options.
std::vector<std::string> spelled_for_parser(const std::vector<std::string>& args,
                                            const std::vector<ArgumentOption>& options) {
  std::vector<std::string> spelled;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      spelled.insert(spelled.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    const std::size_t dashes = arg.rfind("--", 0) == 0 ? 2 : arg.rfind('-', 0) == 0 ? 1 : 0;
    const std::size_t equals = arg.find('=');
    const std::string name =
        arg.substr(dashes, equals == std::string::npos ? equals : equals - dashes);
    const ArgumentOption* option = dashes > 0 ? find_option(options, name) : nullptr;
    if (option == nullptr) {
      spelled.push_back(arg);
      continue;
    }
    spelled.push_back(long_name(name));
    if (equals != std::string::npos) {
      if (option->value_name.empty())
        throw ArgumentError("Unexpected value after '" + arg.substr(0, equals) + "'.");
      spelled.push_back(arg.substr(equals + 1));
    } else if (!option->value_name.empty() && i + 1 < args.size()) {
      spelled.push_back(args[++i]);
    }
  }
  return spelled;
}

std::string unknown_option_name(const std::string& arg) {
  const std::string name = arg.substr(arg.find_first_not_of('-'));
  return name.substr(0, name.find('='));
}

}  // namespace

GivenOptions parse_arguments(const std::vector<std::string>& args,
                             const std::vector<ArgumentOption>& options) {
  std::vector<std::string> stray;
  const std::unique_ptr<CLI::App> parser = make_parser("", options, stray);
  std::vector<std::string> spelled = spelled_for_parser(args, options);
  // The parser takes its arguments last first.
  std::reverse(spelled.begin(), spelled.end());
  try {
    parser->parse(spelled);
  } catch (const CLI::ArgumentMismatch&) {
    // Every option's value is the next argument, whatever it is: only the last can lack one.
    throw ArgumentError("Missing value after '" + args.back() + "'.");
  } catch (const CLI::ParseError& e) {
    throw ArgumentError(e.what());
  }
  // What the parser did not take: unknown options, and the "--" that ends the options.
  for (const std::string& unknown : parser->remaining()) {
    if (unknown != "--")
      throw ArgumentError("Unknown option '" + unknown_option_name(unknown) + "'.");
  }
  if (!stray.empty())
    throw ArgumentError("Unexpected argument '" + stray.front() + "'.");

  GivenOptions given;
  for (const ArgumentOption& option : options) {
    const CLI::Option* parsed = parser->get_option(long_name(option.names.back()));
    if (parsed->count() > 0)
      given[option.names.back()] = option.value_name.empty() ? "" : parsed->results().back();
  }
  return given;
}

std::string help_text(const std::string& program, const std::string& description,
                      const std::vector<ArgumentOption>& options) {
  std::vector<std::string> stray;
  return make_parser(description, options, stray)->help(program);
}

}  // namespace talvex::app
