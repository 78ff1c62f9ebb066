#pragma once

// What a join shows on the join page: the busy pointer on the page, and the changes to its two
// table lists.

#include "join/join_engine.h"

class QListWidget;
namespace shell {
class Page;
}

class JoinPageReport : public JoinReport {
 public:
  JoinPageReport(shell::Page& page, QListWidget& list1, QListWidget& list3);

  void Busy(bool busy) override;
  void RemoveTable(TableList list, const QString& name) override;
  void AddTable(TableList list, const QString& name) override;

 private:
  QListWidget& List(TableList list);

  shell::Page& page_;
  QListWidget& list1_;
  QListWidget& list3_;
};
