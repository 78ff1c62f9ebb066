#include "join/join_page_report.h"

#include <QListWidget>

#include "shell/main_module.h"
#include "shell/page.h"

JoinPageReport::JoinPageReport(shell::Page& page, QListWidget& list1, QListWidget& list3)
    : page_(page), list1_(list1), list3_(list3) {}

void JoinPageReport::Busy(bool busy) {
  page_.SetMousePointer(busy ? shell::vbHourglass : shell::vbDefault);
}

void JoinPageReport::RemoveTable(TableList list, const QString& name) {
  Main::ListRemove(List(list), name);
}

void JoinPageReport::AddTable(TableList list, const QString& name) {
  List(list).addItem(name);
}

QListWidget& JoinPageReport::List(TableList list) {
  return list == TableList::List1 ? list1_ : list3_;
}
