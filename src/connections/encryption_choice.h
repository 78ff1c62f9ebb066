#pragma once

// The encryption of one login on the connection page: one list whose choices are request,
// require, verify against the system's certificate authorities, verify against the CA file
// chosen before (when there is one), and the choice of another CA file.

#include <QComboBox>
#include <QString>
#include <functional>

class EncryptionChoice {
 public:
  // `save(key, value)` stores a setting; `modeKey` holds the mode, `caFileKey` the CA file.
  EncryptionChoice(QComboBox& box, QString modeKey, QString caFileKey,
                   std::function<void(const QString&, const QString&)> save);

  // Shows the stored choice; a change of the list stores it, as a choice of the user does.
  void Load();
  // The choice now: "request", "require" or "verify", and for verify the CA file (empty: the
  // system's certificate authorities).
  QString Mode() const;
  QString CaFile() const;

 private:
  void Chosen(int index);
  void ChooseFile();
  int FileItem() const;
  void SetFile(const QString& path);

  QComboBox& box_;
  QString modeKey_;
  QString caFileKey_;
  std::function<void(const QString&, const QString&)> save_;
  int shown_ = 0;
};
