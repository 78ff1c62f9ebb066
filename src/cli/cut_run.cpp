#include "cli/cut_run.h"

#include "append/resume/append_journal.h"
#include "cli/terminal_dialogs.h"
#include "platform/desktop/dialogs.h"

namespace cli {
namespace {

using Resume = append::AppendRequest::Resume;

const ConnectionProfile& SourceLogin(const AppendJob& job) {
  return job.appendToDatabase1 ? job.profile2 : job.profile1;
}

const ConnectionProfile& TargetLogin(const AppendJob& job) {
  return job.appendToDatabase1 ? job.profile1 : job.profile2;
}

// The table's own journal, named as the table's run names it.
QString OwnJournal(const AppendJob& job, const copy::PlannedTable& pair) {
  return append::AppendJournal::PathOf(SourceLogin(job), pair.source, TargetLogin(job),
                                       pair.target);
}

bool Resuming(const AppendJob& job) {
  return job.resume == Resume::Yes || job.resume == Resume::Force;
}

// A plain run meeting a cut one starts anew only when a terminal says so.
bool StartAnewAgreed(Console& console) {
  const QString question = QStringLiteral(
      "A run of these tables ended before every table was copied. Start it anew, every table "
      "again?");
  TerminalDialogs dialogs(console, QStringLiteral("--start-over"), false);
  dialogs.OwnAnswer(question.left(30),
                    QStringLiteral("--resume goes on from there, --start-over starts anew."));
  return dialogs::MsgBox(question, dialogs::vbYesNo) == dialogs::vbYes;
}

}  // namespace

QString ChosenText(const TableChoice& choice) {
  if (choice.all) return QStringLiteral("all");
  if (!choice.like.isEmpty()) return QStringLiteral("like:") + choice.like;
  QStringList listed;
  for (const QString& name : choice.listed) listed << name.toLower();
  listed.sort();
  return QStringLiteral("tables:") + listed.join(u',');
}

std::optional<int> CutRun::Open(const AppendJob& job, const QString& chosen, Console& console) {
  path_ = copy::RunJournal::PathOf(SourceLogin(job), TargetLogin(job), chosen);
  if (Resuming(job)) {
    cut_ = copy::RunJournal::Read(path_);
    if (!cut_) {
      console.Message(
          copy::RunJournal::Kept(path_)
              ? QStringLiteral("ombrelia: the cut run of these tables cannot be gone on from: its "
                               "journal %1 is not whole (cut short, or changed by hand).")
                    .arg(path_)
              : QStringLiteral("ombrelia: there is no cut run of these tables to go on from; a "
                               "run without --resume starts one."));
      return kRefused;
    }
  } else if (job.resume == Resume::Ask && copy::RunJournal::Kept(path_)) {
    if (job.dryRun) {
      console.Message(
          QStringLiteral("ombrelia: a run of these tables ended before every table was copied: "
                         "the run would ask whether to start it anew (--resume goes "
                         "on from there, --start-over starts anew)."));
    } else if (!StartAnewAgreed(console)) {
      return kRefused;
    } else {
      startAnew_ = true;
    }
  }
  dryRun_ = job.dryRun;
  sourceLogin_ = SourceLogin(job);
  targetLogin_ = TargetLogin(job);
  chosen_ = chosen;
  console_ = &console;
  return std::nullopt;
}

// Written from the first table that begins: a run refused before its tables leaves none.
bool CutRun::Writing() {
  if (dryRun_ || !console_) return false;
  if (journal_ || failed_) return journal_ != nullptr;
  auto journal = std::make_unique<copy::RunJournal>(path_);
  if (journal->Begin(sourceLogin_, targetLogin_, chosen_, cut_.has_value())) {
    journal_ = std::move(journal);
    return true;
  }
  failed_ = true;
  console_->Message(QStringLiteral("ombrelia: the run's journal %1 cannot be written (%2): a run "
                                   "cut now could not be gone on from.")
                        .arg(path_, journal->Error()));
  return false;
}

TableResume CutRun::Of(const AppendJob& job, const copy::PlannedTable& pair) const {
  TableResume table;
  table.resume = startAnew_ ? Resume::No : job.resume;
  if (!cut_) return table;
  table.resume = Resume::Ask;
  const copy::JournaledTable* stands = cut_->Of(pair.target);
  if (stands && stands->complete) {
    table.done = QStringLiteral("finished by the cut run, left as it is");
    return table;
  }
  table.madeByTheCutRun = stands && stands->made;
  if (append::AppendJournal::Kept(OwnJournal(job, pair))) {
    table.resume = job.resume;
    return table;
  }
  // Its own journal went since: a run of its own finished it.
  if (stands && stands->ended && stands->journaled) {
    table.done = QStringLiteral("finished since by a run of its own, left as it is");
    return table;
  }
  // Not begun, or ended before its first row: it runs as new.
  if (!stands || (stands->ended && stands->appended == 0)) return table;
  table.notRun = stands->ended
                     ? QStringLiteral(
                           "the cut run wrote %1 rows into it and kept no journal of them (its "
                           "rows are read by no key): nothing tells which; append it alone once "
                           "its rows are checked")
                           .arg(stands->appended)
                     : QStringLiteral(
                           "the cut run was ended while it copied it and kept no journal of it: "
                           "it may hold some of its rows or all; append it alone once its rows "
                           "are checked");
  return table;
}

void CutRun::Began(const copy::PlannedTable& pair, bool made) {
  if (Writing()) journal_->Began(pair.target, made);
}

void CutRun::Ended(const AppendJob& job, const copy::PlannedTable& pair, const TableRun& run) {
  if (!Writing()) return;
  journal_->Ended(pair.target, run.exitCode == kDone && run.notRun.isEmpty(),
                  run.outcome ? run.outcome->appended : 0,
                  append::AppendJournal::Kept(OwnJournal(job, pair)));
}

void CutRun::Finished(bool complete) {
  if (dryRun_ || !complete) return;
  journal_.reset();
  copy::RunJournal::SetAside(path_);
}

}  // namespace cli
