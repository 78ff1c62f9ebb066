#include "cli/login_options.h"

#include <algorithm>

#include "connections/encryption.h"
#include "connections/password_store.h"
#include "connections/profile_settings.h"
#include "platform/desktop/keyring.h"
#include "platform/desktop/terminal.h"

namespace cli {
namespace {

struct Field {
  const char* option;  // without the number
  const char* description;
  const char* valueName;
};

constexpr Field kFields[] = {
    {"server", "Server of Database #%1 instead of the stored one.", "host"},
    {"port", "TCP port of Database #%1 instead of the stored one.", "port"},
    {"user", "Login of Database #%1 instead of the stored one.", "login"},
    {"database", "Name of Database #%1 instead of the stored one.", "name"},
    {"local", "1: connect to Database #%1 by server name alone, without the port; 0: with it.",
     "0|1"},
    {"encrypt",
     "Encryption of Database #%1: request (encrypted when the server offers it), require (a "
     "server that does not encrypt is refused) or verify (require, and the server's "
     "certificate is checked).",
     "request|require|verify"},
    {"ca-file",
     "For verify: the PEM file of the certificate authority to trust for Database #%1 instead "
     "of the system's ones; empty for the system's.",
     "file"},
};

QString OptionName(const char* option, int number) {
  return QString::fromLatin1(option) + QString::number(number);
}

void Override(const CommandParser& parser, const char* option, int number, QString& field) {
  const QString name = OptionName(option, number);
  if (parser.IsSet(name)) field = parser.Value(name);
}

// The server, its port and the local flag name one instance: another port may be another
// server's, or another instance of the same.
bool SameLogin(const ConnectionProfile& stored, const ConnectionProfile& login) {
  return stored.Server == login.Server && stored.Port == login.Port &&
         stored.LocalConnection == login.LocalConnection && stored.User == login.User;
}

// The password from the environment, else the stored one of the stored login, else asked for on
// a terminal; the empty optional when there is none of these.
std::optional<QString> Password(const ConnectionProfile& stored, const ConnectionProfile& login,
                                int number, Console& console) {
  const QByteArray variable = "OMBRELIA_PASSWORD" + QByteArray::number(number);
  if (qEnvironmentVariableIsSet(variable.constData())) return qEnvironmentVariable(variable);
  // A stored password belongs to the stored login; it is not sent to another server, instance
  // or user.
  if (SameLogin(stored, login)) {
    const QString suffix = number == 1 ? QString() : QStringLiteral("2");
    const password_store::Stored kept =
        password_store::ReadStored(QStringLiteral("Password") + suffix);
    if (!kept.silence.isEmpty()) {
      console.Message(QStringLiteral("ombrelia: going on without ") + keyring::StoreName() +
                      QStringLiteral(": ") + kept.silence + u'.');
    }
    if (!kept.password.isEmpty()) return kept.password;
  }
  if (!terminal::InputIsTerminal()) return std::nullopt;
  const QString prompt = QStringLiteral("Password of %1 on %2 (Database #%3): ")
                             .arg(login.User, login.Server)
                             .arg(number);
  return terminal::Ask(prompt, true);
}

bool IsPort(const QString& text) {
  bool number = false;
  const int port = text.toInt(&number);
  return number && port > 0 && port < 65536;
}

// What keeps the login from being tried at all, and how to mend it.
std::optional<QString> MissingField(const ConnectionProfile& login, int number) {
  const QString n = QString::number(number);
  if (login.Server.trimmed().isEmpty()) {
    return QStringLiteral(
               "Database #%1 has no server: give --server%1 HOST, or store one in "
               "the wizard.")
        .arg(n);
  }
  if (!login.IsLocal() && !IsPort(login.Port)) {
    return QStringLiteral(
               "The port of Database #%1 is '%2', not a TCP port number: give "
               "--port%1 PORT (1433 by default).")
        .arg(n, login.Port);
  }
  if (login.User.trimmed().isEmpty()) {
    return QStringLiteral(
               "Database #%1 has no user: give --user%1 LOGIN, or store one in the "
               "wizard.")
        .arg(n);
  }
  return std::nullopt;
}

// A CA file for a login that does not verify would be trusted for nothing; one that cannot be
// read would fail the login without a word of why.
std::optional<QString> EncryptionError(const CommandParser& parser, const ConnectionProfile& login,
                                       int number) {
  const QString n = QString::number(number);
  const bool verifies = EncryptionOf(login) == Encryption::Verify;
  if (parser.IsSet(OptionName("ca-file", number)) && !verifies) {
    return QStringLiteral(
               "--ca-file%1 names a CA file, but Database #%1 does not verify the server's "
               "certificate (its encryption is %2): add --encrypt%1 verify.")
        .arg(n, EncryptionWord(EncryptionOf(login)));
  }
  if (!verifies || login.CaFile.isEmpty()) return std::nullopt;
  if (const std::optional<QString> problem = login_encryption::CaFileProblem(login.CaFile)) {
    return QStringLiteral(
               "Database #%1 verifies the server's certificate, but %2: give "
               "--ca-file%1 with the PEM file of the server's certificate authority.")
        .arg(n, *problem);
  }
  return std::nullopt;
}

// The whole seconds an option of the command gives, or 0 when the command has no such option
// or it is not given (its text was checked with the command's other options).
int Seconds(const CommandParser& parser, const QString& option) {
  if (!parser.Declares(option) || !parser.IsSet(option)) return 0;
  return std::max(0, parser.Value(option).toInt());
}

}  // namespace

void AddLoginOptions(CommandParser& parser, const QList<int>& numbers) {
  for (int number : numbers) {
    for (const Field& field : kFields) {
      parser.AddValue(OptionName(field.option, number),
                      QString::fromLatin1(field.description).arg(number),
                      QString::fromLatin1(field.valueName));
    }
  }
  parser.AddNote(PasswordNote(numbers));
}

// The order in which Password() looks.
QString PasswordNote(const QList<int>& numbers) {
  QStringList variables;
  for (int number : numbers) {
    variables << QStringLiteral("OMBRELIA_PASSWORD%1 (Database #%1)").arg(number);
  }
  return QStringLiteral(
             "Passwords: from the environment, %1; else the password\nthe wizard stored, "
             "when the login is the stored one; else asked for on the terminal.")
      .arg(variables.join(QStringLiteral(" or ")));
}

QStringList LoginOptionNames() {
  QStringList names;
  for (int number : {1, 2}) {
    for (const Field& field : kFields) names << OptionName(field.option, number);
  }
  return names;
}

std::optional<QString> LoginOptionError(const CommandParser& parser) {
  for (int number : {1, 2}) {
    const QString local = OptionName("local", number);
    if (parser.Declares(local) && parser.IsSet(local) &&
        parser.Value(local) != QLatin1String("0") && parser.Value(local) != QLatin1String("1")) {
      return QStringLiteral("--%1 takes 0 or 1, not '%2'.").arg(local, parser.Value(local));
    }
    const QString encrypt = OptionName("encrypt", number);
    if (parser.Declares(encrypt) && parser.IsSet(encrypt) &&
        !ParseEncryption(parser.Value(encrypt))) {
      return QStringLiteral("--%1 takes request, require or verify, not '%2'.")
          .arg(encrypt, parser.Value(encrypt));
    }
  }
  return std::nullopt;
}

std::optional<int> ResolveLogin(const CommandParser& parser, int number, Console& console,
                                ConnectionProfile& login) {
  const ConnectionProfile stored = profile_settings::ReadProfile(number);
  login = stored;
  Override(parser, "server", number, login.Server);
  Override(parser, "port", number, login.Port);
  Override(parser, "user", number, login.User);
  Override(parser, "database", number, login.Database);
  Override(parser, "local", number, login.LocalConnection);
  Override(parser, "encrypt", number, login.Encryption);
  Override(parser, "ca-file", number, login.CaFile);
  login.CaFile = CaFileOf(login);
  // The command's checks run on the login's connections before its job: they are bounded too.
  login.LoginTimeout = Seconds(parser, QStringLiteral("login-timeout"));
  login.QueryTimeout = Seconds(parser, QStringLiteral("query-timeout"));
  if (std::optional<QString> missing = MissingField(login, number)) {
    return parser.UsageError(console, *missing);
  }
  if (std::optional<QString> wrong = EncryptionError(parser, login, number)) {
    return parser.UsageError(console, *wrong);
  }
  const std::optional<QString> password = Password(stored, login, number, console);
  if (!password) {
    return parser.UsageError(
        console, QStringLiteral("No password for %1 on %2 (Database #%3), and no terminal to ask "
                                "on: set OMBRELIA_PASSWORD%3.")
                     .arg(login.User, login.Server)
                     .arg(number));
  }
  login.Password = *password;
  return std::nullopt;
}

}  // namespace cli
