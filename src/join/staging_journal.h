#pragma once

// Which staging copies s_t1 and s_t2 this program made in a database and has not dropped yet.
// A join that ends before its drops (the program was killed, the connection went) leaves its
// copies behind; the next join drops a copy only when it finds it here, by its database and the
// copy's object, and never a table of that name that someone else made.

#include <QString>

class StagingJournal {
 public:
  // `database` names the database as the login reaches it ("server,port/database").
  explicit StagingJournal(QString database);

  // Whether the table of this name and object is a copy a join of this program made.
  bool Ours(const QString& name, const QString& objectId) const;
  // Notes a copy just made; a journal that cannot be written leaves the copy unknown, so that a
  // copy left behind is then taken for someone else's table.
  void Made(const QString& name, const QString& objectId);
  void Dropped(const QString& name);

 private:
  QString Key(const QString& name) const;

  QString database_;
};
