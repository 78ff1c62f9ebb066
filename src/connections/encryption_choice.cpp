#include "connections/encryption_choice.h"

#include <QFileInfo>
#include <QSignalBlocker>

#include "connections/encryption.h"
#include "connections/profile_settings.h"
#include "platform/desktop/dialogs.h"

namespace {

// Each item holds its mode and CA file; the last one asks for a file.
const QString kChooseFile = QStringLiteral("choose");
constexpr int kRequest = 0;
constexpr int kRequire = 1;
constexpr int kVerifySystem = 2;

QStringList Data(const QString& mode, const QString& caFile = {}) {
  return {mode, caFile};
}

}  // namespace

EncryptionChoice::EncryptionChoice(QComboBox& box, QString modeKey, QString caFileKey,
                                   std::function<void(const QString&, const QString&)> save)
    : box_(box),
      modeKey_(std::move(modeKey)),
      caFileKey_(std::move(caFileKey)),
      save_(std::move(save)) {
  box_.addItem(QStringLiteral("request"), Data(QStringLiteral("request")));
  box_.addItem(QStringLiteral("require"), Data(QStringLiteral("require")));
  box_.addItem(QStringLiteral("verify: the system's CAs"), Data(QStringLiteral("verify")));
  box_.addItem(QStringLiteral("verify: choose a CA file..."), Data(kChooseFile));
  QObject::connect(&box_, &QComboBox::currentIndexChanged, &box_,
                   [this](int index) { Chosen(index); });
}

// A mode the program does not know is shown as verify, as it is read.
void EncryptionChoice::Load() {
  const QString caFile = profile_settings::Read(caFileKey_);
  if (!caFile.isEmpty()) SetFile(caFile);
  ConnectionProfile stored;
  stored.Encryption = profile_settings::Read(modeKey_, QStringLiteral("request"));
  switch (EncryptionOf(stored)) {
    case Encryption::Request:
      return box_.setCurrentIndex(kRequest);
    case Encryption::Require:
      return box_.setCurrentIndex(kRequire);
    case Encryption::Verify:
      return box_.setCurrentIndex(caFile.isEmpty() ? kVerifySystem : FileItem());
  }
}

QString EncryptionChoice::Mode() const {
  return box_.currentData().toStringList().value(0);
}

QString EncryptionChoice::CaFile() const {
  return box_.currentData().toStringList().value(1);
}

// Request and require keep the CA file stored, so that verify can take it up again.
void EncryptionChoice::Chosen(int index) {
  if (index < 0) return;
  const QStringList data = box_.itemData(index).toStringList();
  if (data.value(0) == kChooseFile) return ChooseFile();
  shown_ = index;
  save_(modeKey_, data.value(0));
  if (data.value(0) == QLatin1String("verify")) save_(caFileKey_, data.value(1));
}

void EncryptionChoice::ChooseFile() {
  const QString path =
      dialogs::OpenFileName(QStringLiteral("The CA file of the server's certificate authority"),
                            QStringLiteral("Certificates (*.pem *.crt *.cer);;All files (*)"));
  if (path.isEmpty()) {
    const QSignalBlocker quiet(box_);
    box_.setCurrentIndex(shown_);
    return;
  }
  SetFile(QFileInfo(path).absoluteFilePath());
  box_.setCurrentIndex(FileItem());
}

int EncryptionChoice::FileItem() const {
  return kVerifySystem + 1;
}

// The chosen file has its own item, before the one that chooses another.
void EncryptionChoice::SetFile(const QString& path) {
  const QSignalBlocker quiet(box_);
  const QString text = QStringLiteral("verify: ") + QFileInfo(path).fileName();
  if (box_.count() == FileItem() + 1) {
    box_.insertItem(FileItem(), text, Data(QStringLiteral("verify"), path));
  } else {
    box_.setItemText(FileItem(), text);
    box_.setItemData(FileItem(), Data(QStringLiteral("verify"), path));
  }
  box_.setItemData(FileItem(), path, Qt::ToolTipRole);
}
