#include "platform/qt/argument_parser.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace talvex::platform::qt {
namespace {

QString text(const std::string& s) {
  return QString::fromStdString(s);
}

void add_options(QCommandLineParser& parser, const std::vector<ArgumentOption>& options) {
  // "-port 5" means "--port 5", as in Qt's own programs; no option of ours is a single letter
  // that could be run together with another.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const ArgumentOption& option : options) {
    QStringList names;
    for (const std::string& name : option.names)
      names << text(name);
    parser.addOption(QCommandLineOption(names, text(option.description), text(option.value_name)));
  }
}

}  // namespace

GivenOptions parse_arguments(const std::vector<std::string>& args,
                             const std::vector<ArgumentOption>& options) {
  QCommandLineParser parser;
  add_options(parser, options);
  // The parser takes the program name first and reads what follows.
  QStringList arguments{QStringLiteral("talvex")};
  for (const std::string& arg : args)
    arguments << text(arg);
  if (!parser.parse(arguments))
    throw ArgumentError(parser.errorText().toStdString());
  const QStringList stray = parser.positionalArguments();
  if (!stray.isEmpty())
    throw ArgumentError("Unexpected argument '" + stray.first().toStdString() + "'.");

  GivenOptions given;
  for (const ArgumentOption& option : options) {
    const QString name = text(option.names.back());
    if (parser.isSet(name))
      given[option.names.back()] = parser.value(name).toStdString();
  }
  return given;
}

std::string help_text(const std::string& program, const std::string& description,
                      const std::vector<ArgumentOption>& options) {
  QCommandLineParser parser;
  parser.setApplicationDescription(text(description));
  add_options(parser, options);
  // The parser names the program after the application object's first argument; the help is
  // wanted before there is one, so its usage line is written here.
  QString help = parser.helpText();
  help.replace(0, help.indexOf(QLatin1Char('\n')),
               QStringLiteral("Usage: ") + text(program) + QStringLiteral(" [options]"));
  return help.toStdString();
}

}  // namespace talvex::platform::qt
