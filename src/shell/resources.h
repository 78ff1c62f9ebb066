#pragma once

namespace shell {

// Makes the program's built-in resources (the application icon) available.
void InitResources();

}  // namespace shell
