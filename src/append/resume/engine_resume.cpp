// Going on from a run that ended short: the journal of the same tables says where its rows
// stood, the target's count says whether the statement in flight when it was cut was written,
// and the source is read after the last key written, in the key's order. Every run keeps such a
// journal while it writes; it goes when the run ends complete.

#include <algorithm>

#include "append/engine/append_engine.h"
#include "append/engine/count_text.h"
#include "append/engine/engine_steps.h"
#include "append/engine/row_count.h"
#include "jobs/worker.h"
#include "platform/desktop/dialogs.h"

namespace append {
namespace {

QString WayName(AppendEngine::Way way) {
  switch (way) {
    case AppendEngine::Way::OneInsertARow:
      return QStringLiteral("one INSERT a row");
    case AppendEngine::Way::Batches:
      return QStringLiteral("batches");
    case AppendEngine::Way::ServerCopy:
      break;
  }
  return QStringLiteral("the server's own copy");
}

QString AskedWay(bool fast) {
  return fast ? QStringLiteral("the fast ways") : QStringLiteral("one INSERT a row");
}

}  // namespace

const ConnectionProfile& AppendEngine::SourceProfile() const {
  return request_.appendToDatabase1 ? request_.profile2 : request_.profile1;
}

const ConnectionProfile& AppendEngine::TargetProfile() const {
  return request_.appendToDatabase1 ? request_.profile1 : request_.profile2;
}

// Before any row goes: the window asks whether to go on from a run that ended short; the
// command line goes on when told to, and otherwise starts anew.
AppendEngine::Next AppendEngine::DecideResume() {
  if (!request_.journal) return Next::Continue;
  resume_.journalPath = JournalPathOfTheRun();
  const std::optional<JournalRecord> cut = AppendJournal::Read(resume_.journalPath);
  AppendRequest::Resume resume = request_.resume;
  if (resume == AppendRequest::Resume::Ask && cut) {
    int answer = dialogs::vbNo;
    askedAboutColumns_ = true;  // the target may change while the question waits
    on_(174, [&] {
      answer = dialogs::MsgBox(
          QStringLiteral("The last append of %1 into %2 stopped after %3. Go on from there?")
              .arg(SourceTable().Display(), TargetTable().Display(), RowsText(cut->mark.appended)),
          dialogs::vbYesNo);
    });
    // Neither answer (a question nobody could answer): nothing is written, the journal stays.
    if (answer != dialogs::vbYes && answer != dialogs::vbNo) return Next::Finish;
    resume = answer == dialogs::vbYes ? AppendRequest::Resume::Yes : AppendRequest::Resume::No;
    // A new run after the question: the target is counted again for the after-check.
    if (resume == AppendRequest::Resume::No) CountTargetBefore();
  }
  if (resume == AppendRequest::Resume::Ask || resume == AppendRequest::Resume::No) {
    AppendJournal::SetAside(resume_.journalPath);
    return Next::Continue;
  }
  // A journal not whole tells nothing sure of where the cut run stood: nothing is written.
  if (!cut && AppendJournal::Kept(resume_.journalPath)) {
    CannotResume(QStringLiteral("its journal %1 is not whole (cut short, or changed by hand)")
                     .arg(resume_.journalPath));
    return Next::Finish;
  }
  if (!cut) {
    if (KeyRead() && resume_.key->columns.isEmpty()) {
      CannotResume(SourceTable().Display() + u' ' + resume_.key->why);
    } else {
      on_(176, [&] {
        dialogs::MsgBox(QStringLiteral("There is no cut append of %1 into %2 to go on from.")
                            .arg(SourceTable().Display(), TargetTable().Display()));
      });
    }
    return Next::Finish;
  }
  return GoOnFrom(*cut) ? Next::Continue : Next::Finish;
}

// A table's schema as its server resolves the name, else as named, else the login's default.
QString AppendEngine::SchemaOf(const QString& resolved, const MSSQL::TableName& table) const {
  if (!resolved.isEmpty()) return resolved;
  return table.schema.isEmpty() ? defaultSchema_ : table.schema;
}

// The journal of the pair, named as the servers resolve both tables, so that every spelling of
// them (with or without the schema, in any case, one table or many) finds it; one that an
// earlier run kept under the names as they were typed is still found.
QString AppendEngine::JournalPathOfTheRun() const {
  const MSSQL::TableName source{SchemaOf(SourceFacts().schema, SourceTable()), SourceTable().name};
  const MSSQL::TableName target{SchemaOf(targetSchema_, TargetTable()), TargetTable().name};
  const QString resolved = AppendJournal::PathOf(SourceProfile(), source, TargetProfile(), target);
  const QString typed =
      AppendJournal::PathOf(SourceProfile(), SourceTable(), TargetProfile(), TargetTable());
  return !AppendJournal::Kept(resolved) && AppendJournal::Kept(typed) ? typed : resolved;
}

void AppendEngine::CannotResume(const QString& why) {
  on_(176, [&] {
    dialogs::MsgBox(QStringLiteral("The append of %1 into %2 cannot go on from the cut run: %3.")
                        .arg(SourceTable().Display(), TargetTable().Display(), why));
  });
}

bool AppendEngine::GoOnFrom(const JournalRecord& cut) {
  if (!SameRunAs(cut.header)) return false;
  if (!cut.header.key.isEmpty() || request_.resume == AppendRequest::Resume::Force) {
    if (!KeyRead()) return false;
    if (resume_.key->columns.isEmpty()) {
      CannotResume(SourceTable().Display() + u' ' + resume_.key->why);
      return false;
    }
    if (!cut.header.key.isEmpty() && resume_.key->columns != cut.header.key) {
      CannotResume(QStringLiteral("it read the source by (%1), whose key is (%2) now")
                       .arg(cut.header.key.join(QStringLiteral(", ")),
                            resume_.key->columns.join(QStringLiteral(", "))));
      return false;
    }
  }
  if (!TargetCountedAfterWriters()) return false;
  const bool found = request_.resume == AppendRequest::Resume::Force ? GoOnAfterLargestKey(cut)
                                                                     : ResumePointFound(cut);
  return found && SourceBelowTheKeyCounted();
}

// The source's rows at or below the key the run goes on after that no run wrote and the target
// did not refuse: rows added to the source after the cut run read past them, or, gone on from
// the target's largest key, rows the target gained from elsewhere. They are not sent, and the
// run is not complete.
bool AppendEngine::SourceBelowTheKeyCounted() {
  if (resume_.after.isEmpty() || !resume_.carried || !KeyRead() || resume_.key->columns.isEmpty())
    return true;
  qint64 below = 0;
  const QString atOrBelow =
      QStringLiteral("NOT ") + AfterKeyCondition(resume_.key->columns, resume_.after);
  const bool counted = Completed(on_, 194, [&] {
    adodb::Connection& connection = SourceConnection();
    bool big = true;
    below = jobs::Wait([&] {
      return CountRows(connection, SourceTable(), big, BothConditions(request_.where, atOrBelow));
    });
  });
  if (!counted) return false;
  leftBehind_ = std::max<qint64>(0, below - resume_.carried->appended - resume_.carried->refused);
  return true;
}

// Said when the source holds rows at or below the key that no run sent.
QString AppendEngine::LeftBehindLine() const {
  if (leftBehind_ == 0) return {};
  return QStringLiteral(
             "%1 of %2 at or below the key this run went on after %3 not in %4: "
             "added to the source after the cut run read past them, or the target "
             "changed. They were not sent; this append is not complete.")
      .arg(RowsText(leftBehind_), SourceTable().Display(),
           leftBehind_ == 1 ? QStringLiteral("is") : QStringLiteral("are"),
           TargetTable().Display());
}

// A statement of the cut run may still be running on the server: the target is counted once
// every writer of it has ended.
bool AppendEngine::TargetCountedAfterWriters() {
  return Completed(on_, 182, [&] {
    adodb::Connection& connection = TargetConnection();
    counts_.before = jobs::Wait([&] { return CountRowsAfterWriters(connection, TargetTable()); });
  });
}

// The same logins, tables, condition and ways asked for.
bool AppendEngine::SameRunAs(const JournalHeader& header) {
  QString why;
  const QString sourceLogin = AppendJournal::LoginOf(SourceProfile());
  const QString targetLogin = AppendJournal::LoginOf(TargetProfile());
  if (header.sourceLogin != sourceLogin || header.targetLogin != targetLogin) {
    why = QStringLiteral("it read as %1 and wrote as %2; this run reads as %3 and writes as %4")
              .arg(header.sourceLogin, header.targetLogin, sourceLogin, targetLogin);
  } else if (header.where != request_.where) {
    why = QStringLiteral("its condition was \"%1\", this run's is \"%2\"")
              .arg(header.where, request_.where);
  } else if (header.fast != request_.fast) {
    why = QStringLiteral("it went by %1, this run asks for %2")
              .arg(header.way, AskedWay(request_.fast));
  }
  if (why.isEmpty()) return true;
  CannotResume(why);
  return false;
}

// The target holds what the cut run wrote, or that and the rows in flight when it was cut: the
// rows go on after the last key written. Anything else means the target changed since.
bool AppendEngine::ResumePointFound(const JournalRecord& cut) {
  JournalMark mark = cut.mark;
  const qint64 expected = cut.header.targetBefore + mark.appended;
  const qint64 growth = *counts_.before - expected;
  if (growth > 0 && mark.inFlight == growth) {
    mark.appended += growth;
    mark.after = mark.flightAfter;
  } else if (growth > 0 && mark.inFlight < 0) {
    if (!CutCopyWasWritten(cut, growth)) return false;
    mark.appended += growth;
    resume_.carried = mark;
    on_(150, [&] {
      ShowClosing(
          QStringLiteral("Done. The cut append of %1 into %2 had written every row "
                         "before it was cut: %3 rows, none was left to append.")
              .arg(SourceTable().Display(), TargetTable().Display(), CountText(mark.appended)));
    });
    if (!dryRun_) AppendJournal::SetAside(resume_.journalPath);
    return false;
  } else if (growth != 0) {
    CannotResume(
        QStringLiteral("%1 holds %2 rows, but the cut run left it holding %3, so it "
                       "was changed since. To go on after the largest key it holds, "
                       "use --resume --force on the command line")
            .arg(TargetTable().Display(), CountText(*counts_.before), CountText(expected)));
    return false;
  }
  mark.inFlight = 0;
  mark.flightAfter.clear();
  resume_.carried = mark;
  resume_.after = mark.after;
  return true;
}

// A server's copy writes all of its rows or none: the target grew by exactly the source's rows
// after the last key written, or it was changed since.
bool AppendEngine::CutCopyWasWritten(const JournalRecord& cut, qint64 growth) {
  resume_.after = cut.mark.after;
  qint64 rows = -1;
  const bool counted = Completed(on_, 170, [&] {
    adodb::Connection& connection = SourceConnection();
    bool big = true;
    rows = jobs::Wait([&] { return CountRows(connection, SourceTable(), big, SourceCondition()); });
  });
  if (!counted) return false;
  if (rows == growth) return true;
  CannotResume(QStringLiteral("%1 grew by %2 rows since the cut run began its copy of %3 rows, so "
                              "it was changed since. To go on after the largest key it holds, "
                              "use --resume --force on the command line")
                   .arg(TargetTable().Display(), CountText(growth), CountText(rows)));
  return false;
}

// --force: after the largest key the target holds, whatever the journal expects; the rows the
// target gained since the first run count as written before.
bool AppendEngine::GoOnAfterLargestKey(const JournalRecord& cut) {
  std::optional<QStringList> largest;
  const bool read = Completed(on_, 178, [&] {
    adodb::Connection& connection = TargetConnection();
    largest =
        jobs::Wait([&] { return ReadLargestKey(connection, TargetTable(), resume_.key->columns); });
  });
  if (!read) return false;
  JournalMark mark;
  mark.appended = std::max<qint64>(0, *counts_.before - cut.header.targetBefore);
  if (largest) mark.after = *largest;
  resume_.carried = mark;
  resume_.after = mark.after;
  return true;
}

// The source's key, asked of its own session once; a server that cannot tell leaves the run
// without one.
bool AppendEngine::KeyRead() {
  if (!resume_.key) resume_.key = request_.sourceKey;
  if (resume_.key) return true;
  return Completed(on_, 180, [&] {
    adodb::Connection& connection = SourceConnection();
    try {
      resume_.key = jobs::Wait([&] { return ReadResumeKey(connection, SourceTable()); });
    } catch (const adodb::Error& error) {
      if (error.ConnectionLost()) throw;
      resume_.key = ResumeKey{
          {}, QStringLiteral("has a key its server could not tell: ") + error.Description()};
    }
  });
}

// The user's condition, and the key the rows go on after.
QString AppendEngine::SourceCondition() const {
  if (resume_.after.isEmpty() || !resume_.key) return request_.where;
  return BothConditions(request_.where, AfterKeyCondition(resume_.key->columns, resume_.after));
}

QString AppendEngine::SourceOrder() const {
  return resume_.key ? KeyOrder(resume_.key->columns) : QString();
}

// Written as the first row goes; a run that cannot be counted before, or whose rows are read
// by no key, has nothing a later run could go on after. A server's copy needs no key: it
// writes all of its rows or none.
void AppendEngine::BeginJournal(Way way) {
  if (resume_.journalPath.isEmpty() || !counts_.before) return;
  const bool keyed = resume_.key && !resume_.key->columns.isEmpty();
  std::vector<std::size_t> positions;
  if (way != Way::ServerCopy) {
    const std::vector<MSSQL::ColumnFacts>& columns = SourceFacts().columns;
    for (const QString& name : keyed ? resume_.key->columns : QStringList()) {
      const auto at = std::find_if(columns.begin(), columns.end(), [&](const auto& column) {
        return column.name.compare(name, Qt::CaseInsensitive) == 0;
      });
      if (at == columns.end()) break;
      positions.push_back(static_cast<std::size_t>(at - columns.begin()));
    }
    // Rows read by no key leave nothing to go on after: a journal of the copy refused before
    // them would tell a later run that nothing was written.
    if (positions.empty() ||
        static_cast<qsizetype>(positions.size()) != resume_.key->columns.size()) {
      if (resume_.journal) resume_.journal->Remove();
      resume_.journal.reset();
      return;
    }
  }
  if (resume_.journal) {
    resume_.journal->KeyAt(std::move(positions));
    resume_.journal->ChangeWay(WayName(way), resume_.key->columns);
    return;
  }
  JournalHeader header{
      AppendJournal::LoginOf(SourceProfile()),
      AppendJournal::LoginOf(TargetProfile()),
      SourceTable().Display(),
      TargetTable().Display(),
      request_.fast,
      WayName(way),
      keyed ? resume_.key->columns : QStringList(),
      request_.where,
      resume_.carried ? *counts_.before - resume_.carried->appended : *counts_.before};
  auto journal = std::make_unique<AppendJournal>(resume_.journalPath);
  journal->KeyAt(std::move(positions));
  if (journal->Begin(header, resume_.carried.value_or(JournalMark{}))) {
    resume_.journal = std::move(journal);
  } else {
    journalFailure_ = journal->Error();
  }
}

// Complete: the journal goes. Short: it stays, with the statement in flight settled when its
// answer was seen (a stop, a refusal, the source failing); a connection lost or a statement out
// of time leaves it in flight, for the target's count to tell.
void AppendEngine::EndJournal() {
  const bool inDoubt = lostDatabase_ != 0 || lostDuringCopy_ || timedOut_;
  // Only a run whose rows' step reached its end is complete: one that failed before its first
  // row (a count out of time, a session gone) keeps the journal of the cut run it went on from.
  const bool complete =
      everyRowWent_ && !inDoubt && (!stopped_ || copiedBeforeStop_) && !refused_.atLimit;
  endedShort_ = wayTaken_ && !complete;
  if (!resume_.journal) {
    // A resumed run that kept no journal of its own: the cut run's has done its work.
    if (resume_.carried && complete && wayTaken_) AppendJournal::SetAside(resume_.journalPath);
    return;
  }
  if (!resume_.journal->Writing()) journalFailure_ = resume_.journal->Error();
  if (complete) {
    resume_.journal->Remove();
  } else if (!inDoubt) {
    if (wayTaken_ == Way::ServerCopy) resume_.journal->NotWritten();
    resume_.journal->Settle();
  }
  resume_.journal.reset();
}

// Said when the run ends short: a journal that could not be written leaves nothing to go on from.
QString AppendEngine::JournalLine() const {
  if (journalFailure_.isEmpty() || !endedShort_) return {};
  return QStringLiteral(
             "The journal of this run could not be written (%1): it cannot be resumed where it "
             "stopped.")
      .arg(journalFailure_);
}

// Both parts of a resumed run, and the target's total after it.
QString AppendEngine::ResumedLine() const {
  if (!resume_.carried) return {};
  QString line = QStringLiteral("Went on from the cut run: %1 appended now, %2 before.")
                     .arg(RowsText(appended_), CountText(resume_.carried->appended));
  if (counts_.after) {
    line += QStringLiteral(" %1 holds %2.").arg(TargetTable().Display(), RowsText(*counts_.after));
  }
  return line;
}

}  // namespace append
