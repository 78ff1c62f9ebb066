#pragma once

// A search condition typed by the user goes into the run's statements between parentheses of
// its own: it must not close them early, end the statement or leave a text, a name or a
// comment open over what follows (the key order a resumed run relies on, for one).

#include <QString>
#include <optional>

namespace append {

// What is wrong with `condition` as a condition of its own; none when it stands alone.
std::optional<QString> ConditionFault(const QString& condition);

}  // namespace append
