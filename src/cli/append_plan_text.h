#pragma once

// What `append --dry-run` writes on standard output: the way the rows would go and why, how the
// columns face each other, the source rows that would go and the target's rows now.

#include <QString>
#include <QStringList>

#include "append/engine/append_engine.h"

namespace cli {

// `source` and `target` as the summary names them ("db1.dbo.Orders"); `where` is the
// condition on the source, or empty.
// A script's statements as a user runs them by hand: each followed by a line "GO".
QStringList ScriptLines(const QStringList& statements);

QStringList AppendPlanLines(const append::AppendEngine::Plan& plan, const QString& source,
                            const QString& target, const QString& where);

}  // namespace cli
