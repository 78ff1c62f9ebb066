#pragma once

#include <QLineEdit>

namespace shell {

// Selects a text box's whole text whenever it takes the focus, so typing replaces the value.
void SelectAllOnFocus(QLineEdit& textBox);

}  // namespace shell
