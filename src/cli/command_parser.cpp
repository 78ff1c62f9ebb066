#include "cli/command_parser.h"

#include <algorithm>

namespace cli {

CommandParser::CommandParser(QString command, const QString& description, QString syntax)
    : command_(std::move(command)), syntax_(std::move(syntax)) {
  parser_.setApplicationDescription(description);
  parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  // Qt's own help option also offers --help-all, for options a core application does not have.
  parser_.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                       QStringLiteral("This help.")));
}

void CommandParser::AddPositional(const QString& name, const QString& description) {
  parser_.addPositionalArgument(name, description);
  ++positionalCount_;
}

void CommandParser::AddFlag(const QString& name, const QString& description) {
  parser_.addOption(QCommandLineOption(name, description));
  declared_ << name;
}

void CommandParser::AddValue(const QString& name, const QString& description,
                             const QString& valueName) {
  parser_.addOption(QCommandLineOption(name, description, valueName));
  declared_ << name;
}

std::optional<int> CommandParser::Parse(const QStringList& arguments, Console& console) {
  if (!parser_.parse(arguments)) return UsageError(console, parser_.errorText());
  if (parser_.isSet(QStringLiteral("help"))) {
    console.Result(HelpText());
    return kDone;
  }
  const qsizetype given = parser_.positionalArguments().size();
  const bool instead = std::any_of(instead_.begin(), instead_.end(),
                                   [this](const QString& name) { return parser_.isSet(name); });
  const int expected = instead ? 0 : positionalCount_;
  if (given < expected) return UsageError(console, QStringLiteral("Missing arguments."));
  if (given > expected) {
    return UsageError(console, QStringLiteral("Unexpected argument '%1'.")
                                   .arg(parser_.positionalArguments().at(expected)));
  }
  return std::nullopt;
}

int CommandParser::UsageError(Console& console, const QString& error) const {
  console.Message(QStringLiteral("%1: %2\nTry '%1 --help'.").arg(Program(), error));
  return kWrongUsage;
}

QString CommandParser::Program() const {
  return command_.isEmpty() ? QStringLiteral("ombrelia") : QStringLiteral("ombrelia ") + command_;
}

// Qt's help names the program alone in its first line; the command belongs there too.
QString CommandParser::HelpText() const {
  QString help = parser_.helpText();
  const qsizetype firstLineEnd = help.indexOf(QLatin1Char('\n'));
  help.replace(0, firstLineEnd, QStringLiteral("Usage: %1 [options] %2").arg(Program(), syntax_));
  help = help.trimmed();
  for (const QString& note : notes_) help += QStringLiteral("\n\n") + note;
  return help;
}

std::optional<int> DatabaseNumber(const QString& text) {
  if (text == QLatin1String("1")) return 1;
  if (text == QLatin1String("2")) return 2;
  return std::nullopt;
}

}  // namespace cli
