#pragma once

namespace shell {
class Wizard {
 public:
  void Start() {}
};
}  // namespace shell
