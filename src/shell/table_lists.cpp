#include "shell/table_lists.h"

#include <QListWidget>
#include <QScopeGuard>

#include "catalogue/catalogue.h"
#include "jobs/worker.h"

namespace MSSQL {

void FillTableList(QListWidget& list, const ConnectionProfile& profile) {
  TableListing listing;
  const auto fill = qScopeGuard([&] {
    if (!listing.started) return;
    list.clear();
    for (std::size_t i = 0; i < listing.tables.size(); ++i) {
      auto* item = new QListWidgetItem(listing.names[static_cast<qsizetype>(i)], &list);
      item->setData(Qt::UserRole, QVariant::fromValue(listing.tables[i]));
    }
  });
  jobs::Wait([&] { ReadTableNames(profile, listing); });
}

void FillTableList1(QListWidget& list, const ConnectionProfiles& profiles) {
  FillTableList(list, profiles.Profile1());
}

void FillTableList2(QListWidget& list, const ConnectionProfiles& profiles) {
  FillTableList(list, profiles.Profile2());
}

}  // namespace MSSQL
