#include "platform/odbc/login_encryption.h"

namespace login_encryption {

QString ModeWord(Mode mode) {
  switch (mode) {
    case Mode::Require:
      return QStringLiteral("require");
    case Mode::Verify:
      return QStringLiteral("verify");
    case Mode::Request:
      break;
  }
  return QStringLiteral("request");
}

QString AsSentence(const QString& description) {
  if (description.isEmpty()) return description;
  return description.front().toUpper() + description.mid(1);
}

}  // namespace login_encryption
