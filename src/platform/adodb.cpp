#include "platform/adodb.h"

namespace adodb {
namespace {
ConnectionProvider& Provider() {
  static ConnectionProvider provider;
  return provider;
}
}  // namespace

int FieldIndex(const Recordset& recordset, const QString& name) {
  for (int i = 0; i < recordset.FieldCount(); ++i) {
    if (recordset.FieldName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

std::unique_ptr<Connection> CreateConnection() {
  if (Provider()) return Provider()();
  return CreateOdbcConnection();
}

void SetConnectionProvider(ConnectionProvider provider) {
  Provider() = std::move(provider);
}

}  // namespace adodb
