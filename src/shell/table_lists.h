#pragma once

// The pages' table lists, filled from the catalogue. The listing runs on a worker while the
// window keeps turning.

#include "connections/connection_profile.h"

class QListWidget;

namespace MSSQL {

// Clears the list and adds the user tables of the profile's database, all together at the end;
// a listing that fails part-way still leaves the names read so far, one that cannot begin
// leaves the list as it was, and the failure goes on to the caller.
void FillTableList(QListWidget& list, const ConnectionProfile& profile);
void FillTableList1(QListWidget& list, const ConnectionProfiles& profiles);
void FillTableList2(QListWidget& list, const ConnectionProfiles& profiles);

}  // namespace MSSQL
