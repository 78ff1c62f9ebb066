#include "platform/adodb.h"

namespace adodb {

std::unique_ptr<Connection> CreateOdbcConnection() {
  throw Error(QStringLiteral("ODBC is not built yet"), QStringLiteral("IM001"), 0);
}

}  // namespace adodb
