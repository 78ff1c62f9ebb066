#pragma once

class SqliteOdbc {
 public:
  static void RegisterDriver() {}
};
