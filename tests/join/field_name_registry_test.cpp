#include <gtest/gtest.h>

#include "join/field_name_registry.h"
#include "support/qt_printers.h"

namespace {
QStringList Aliases(FieldNameRegistry& registry, const QStringList& fields, int table) {
  QStringList aliases;
  for (const QString& field : fields) aliases << registry.AliasFieldName(field, table);
  return aliases;
}
}  // namespace

TEST(FieldNameRegistry, SecondTableNamesTakenByTheFirstGetTheFirstFreeLetter) {
  FieldNameRegistry registry;
  EXPECT_EQ(Aliases(registry, {"ID", "Name"}, 0), QStringList({"ID", "Name"}));
  EXPECT_EQ(Aliases(registry, {"ID", "Total", "id"}, 1), QStringList({"ID_A", "Total", "id"}));
  EXPECT_EQ(registry.FieldNameCount(), 5);

  registry.Clear();
  EXPECT_EQ(registry.FieldNameCount(), 0);
  EXPECT_FALSE(registry.IsFieldNameRegistered("ID", FieldNameRegistry::kAnyTable));
  EXPECT_EQ(Aliases(registry, {"ID", "ID_A"}, 0), QStringList({"ID", "ID_A"}));
  EXPECT_EQ(Aliases(registry, {"ID"}, 1), QStringList({"ID_B"}));
}

TEST(FieldNameRegistry, SameTableTwiceAndRepeatedRequests) {
  FieldNameRegistry registry;
  Aliases(registry, {"ID", "Name"}, 0);
  EXPECT_EQ(Aliases(registry, {"ID", "Name"}, 1), QStringList({"ID_A", "Name_A"}));
  const int count = registry.FieldNameCount();
  EXPECT_EQ(registry.AliasFieldName("ID", 1), "ID_A");
  EXPECT_EQ(registry.AliasFieldName("ID", 0), "ID");
  EXPECT_EQ(registry.FieldNameCount(), count);
  EXPECT_EQ(registry.FindFieldName("ID", FieldNameRegistry::kAnyTable), 3);
  EXPECT_EQ(registry.FindFieldName("ID", 0), 1);
  EXPECT_EQ(registry.FindFieldName("Total", 0), 0);
}

TEST(FieldNameRegistry, CandidatesAreTestedAgainstFieldNamesNotAliases) {
  FieldNameRegistry registry;
  registry.AliasFieldName("ID", 0);
  // ID of the second table takes ID_A, which is no field name yet; the later ID_A keeps its name.
  EXPECT_EQ(Aliases(registry, {"ID", "ID_A"}, 1), QStringList({"ID_A", "ID_A"}));
  // A name registered only for the other table is a new entry.
  registry.AliasFieldName("Only", 0);
  const int count = registry.FieldNameCount();
  EXPECT_EQ(registry.AliasFieldName("Only", 1), "Only_A");
  EXPECT_EQ(registry.FieldNameCount(), count + 1);
}

TEST(FieldNameRegistry, GrowsWithoutLimitAndGivesNothingWhenEveryLetterIsTaken) {
  FieldNameRegistry registry;
  QStringList first{"X"};
  for (char letter = 'A'; letter <= 'Z'; ++letter) first << QString("X_") + letter;
  for (int i = 0; i < 400; ++i) first << QString("F%1").arg(i);
  EXPECT_EQ(Aliases(registry, first, 0), first);
  EXPECT_EQ(registry.FieldNameCount(), 427);
  EXPECT_EQ(registry.AliasFieldName("X", 1), "");
  EXPECT_EQ(registry.AliasFieldName("F399", 1), "F399_A");
}
