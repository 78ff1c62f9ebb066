#pragma once

// The errors the data access objects raise themselves, with ADO's texts and numbers; errors
// from the driver carry the driver's own text instead.

#include "platform/odbc/adodb.h"

namespace adodb {

Error ObjectClosed();
Error ObjectOpen();
Error NoCurrentRecord();
Error NoSuchField(int index);
Error SchemaNotSupported();
Error ArgumentOutOfRange();

}  // namespace adodb
