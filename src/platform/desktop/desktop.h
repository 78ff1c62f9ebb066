#pragma once

// Starts an address or a file with the desktop's default program, without waiting for it.

#include <QString>

namespace desktop {

// Window styles of the started program.
constexpr int vbMinimizedFocus = 2;

class Backend {
 public:
  virtual ~Backend() = default;
  virtual void Start(const QString& target, int windowStyle) = 0;
};

void Start(const QString& target, int windowStyle);
// Replaces the backend; nullptr restores the desktop's.
void SetBackend(Backend* backend);

}  // namespace desktop
