#pragma once

// Where an append stands for going on after a cut: the journal it keeps, the source's key its
// rows go in the order of, the key a resumed run goes on after and what the cut runs wrote.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "append/resume/append_journal.h"
#include "append/resume/resume_key.h"

namespace append {

struct ResumeState {
  std::unique_ptr<AppendJournal> journal;
  QString journalPath;
  std::optional<ResumeKey> key;        // the source's, once read
  QStringList after;                   // the key the rows go on after; empty: from the first
  std::optional<JournalMark> carried;  // a resumed run: where the cut runs left the rows
};

}  // namespace append
