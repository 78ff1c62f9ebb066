#pragma once

// Owners of ODBC handles: a handle is freed when its owner goes, also when setting it up
// failed half-way.

#include "platform/odbc/odbc_api.h"

#include <utility>

#include "platform/odbc/odbc_error.h"

namespace adodb::odbc {

class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
  Handle(Handle&& other) noexcept
      : type_(other.type_), handle_(std::exchange(other.handle_, SQLHANDLE{})) {}
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Free(); }

  SQLHANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
  void Free();

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// Allocates a connection or statement handle under `parent`; a refusal throws with the
// diagnostics of the parent's chain.
Handle Allocate(SQLSMALLINT type, SQLHANDLE parent, const HandleChain& parentChain);

}  // namespace adodb::odbc
