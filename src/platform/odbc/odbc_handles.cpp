#include "platform/odbc/odbc_handles.h"

namespace adodb::odbc {

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    Free();
    type_ = other.type_;
    handle_ = std::exchange(other.handle_, SQLHANDLE{});
  }
  return *this;
}

void Handle::Free() {
  if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, std::exchange(handle_, SQLHANDLE{}));
}

Handle Allocate(SQLSMALLINT type, SQLHANDLE parent, const HandleChain& parentChain) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  const SQLRETURN result = SQLAllocHandle(type, parent, &handle);
  Handle owner(type, handle);
  Check(result, "SQLAllocHandle", parentChain);
  return owner;
}

}  // namespace adodb::odbc
