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
    list.addItems(listing.names);
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
