#include "platform/odbc/ado_errors.h"

namespace adodb {

Error ObjectClosed() {
  return Error(QStringLiteral("Operation is not allowed when the object is closed."),
               QStringLiteral("HY010"), 3704);
}

Error ObjectOpen() {
  return Error(QStringLiteral("Operation is not allowed when the object is open."),
               QStringLiteral("HY010"), 3705);
}

Error NoCurrentRecord() {
  return Error(QStringLiteral("Either BOF or EOF is True, or the current record has been "
                              "deleted. Requested operation requires a current record."),
               QStringLiteral("24000"), 3021);
}

Error NoSuchField(int index) {
  return Error(QStringLiteral("Item cannot be found in the collection corresponding to the "
                              "requested name or ordinal (%1).")
                   .arg(index),
               QStringLiteral("07009"), 3265);
}

Error SchemaNotSupported() {
  return Error(QStringLiteral("Object or provider is not capable of performing requested "
                              "operation."),
               QStringLiteral("HYC00"), 3251);
}

Error ArgumentOutOfRange() {
  return Error(QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or "
                              "are in conflict with one another."),
               QStringLiteral("HY024"), 3001);
}

}  // namespace adodb
