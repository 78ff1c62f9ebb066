# QtKeychain for Windows (Credential Manager), linked statically: the target qt6keychain, also
# named Qt6Keychain::Qt6Keychain, and QTKEYCHAIN_LIBRARIES / QTKEYCHAIN_INCLUDE_DIRS.
include(CMakeFindDependencyMacro)
find_dependency(Qt6Core)

include(${CMAKE_CURRENT_LIST_DIR}/Qt6KeychainLibraryDepends.cmake)

set(QTKEYCHAIN_LIBRARIES qt6keychain)
get_target_property(QTKEYCHAIN_INCLUDE_DIRS qt6keychain INTERFACE_INCLUDE_DIRECTORIES)
if(NOT TARGET Qt6Keychain::Qt6Keychain)
  add_library(Qt6Keychain::Qt6Keychain ALIAS qt6keychain)
endif()
