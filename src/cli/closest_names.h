#pragma once

// The names near one that was mistyped, for a message that offers them.

#include <QString>
#include <QStringList>

namespace cli {

// Up to three of `names` closest to `typed`, letter case aside, nearest first: those a few
// letters away (an edit for every three letters, at least one; two neighbours swapped are one
// edit) or that contain it.
QStringList ClosestNames(const QString& typed, const QStringList& names);

// " (did you mean 'A' or 'B'?)", or nothing when no name is near.
QString DidYouMean(const QString& typed, const QStringList& names);

}  // namespace cli
