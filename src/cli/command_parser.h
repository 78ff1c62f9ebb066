#pragma once

// The parser of one command: Qt's command-line parser, with the command's own usage line, its
// help on standard output and its usage errors on standard error.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/console.h"

namespace cli {

class CommandParser {
 public:
  // An empty command is the program itself. `syntax` follows the options in the usage line: "1|2
  // TABLE".
  CommandParser(QString command, const QString& description, QString syntax);

  QCommandLineParser& Qt() { return parser_; }
  void AddPositional(const QString& name, const QString& description);
  void AddFlag(const QString& name, const QString& description);
  void AddValue(const QString& name, const QString& description, const QString& valueName);
  // A paragraph of the help below the options.
  void AddNote(const QString& text) { notes_ << text; }
  // Options that stand for the positional arguments: with one of them given, none is.
  void PositionalsOr(const QStringList& options) { instead_ = options; }
  // Whether the command has the option.
  bool Declares(const QString& name) const { return declared_.contains(name); }

  // Parses the command's arguments, the command's name first. The empty optional when the
  // command is to run; otherwise its exit code, the help or the usage error written.
  std::optional<int> Parse(const QStringList& arguments, Console& console);

  bool IsSet(const QString& name) const { return parser_.isSet(name); }
  QString Value(const QString& name) const { return parser_.value(name); }
  QStringList Positional() const { return parser_.positionalArguments(); }

  // Writes the error and where to read more; gives the exit code of wrong usage.
  int UsageError(Console& console, const QString& error) const;
  QString HelpText() const;

 private:
  QString Program() const;  // "ombrelia tables"

  QString command_;
  QString syntax_;
  QCommandLineParser parser_;
  int positionalCount_ = 0;
  QStringList notes_;
  QStringList declared_;  // the options added with AddFlag and AddValue
  QStringList instead_;   // PositionalsOr
};

// "1" or "2" as the number of a database; the empty optional for anything else.
std::optional<int> DatabaseNumber(const QString& text);

}  // namespace cli
