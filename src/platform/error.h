#pragma once

#include <QString>
#include <exception>

namespace platform {

// A failure raised by a platform or database call. Its description is what the user is shown.
class Error : public std::exception {
 public:
  explicit Error(QString description)
      : description_(std::move(description)), what_(description_.toUtf8()) {}
  const QString& Description() const { return description_; }
  const char* what() const noexcept override { return what_.constData(); }

 private:
  QString description_;
  QByteArray what_;
};

}  // namespace platform
