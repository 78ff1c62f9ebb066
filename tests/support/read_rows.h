#pragma once

#include <vector>

#include "platform/odbc/adodb.h"

// The rest of a result's rows, read forward to the end.
inline std::vector<std::vector<adodb::Value>> ReadRows(adodb::Recordset& rows) {
  std::vector<std::vector<adodb::Value>> values;
  while (!rows.Eof()) {
    std::vector<adodb::Value>& row = values.emplace_back();
    for (int i = 0; i < rows.FieldCount(); ++i) row.push_back(rows.FieldValue(i));
    rows.MoveNext();
  }
  return values;
}
