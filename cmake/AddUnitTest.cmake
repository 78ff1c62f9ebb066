include(GoogleTest)

# add_unit_test(NAME SOURCES...): one test program linked against the program's library and the
# shared fixtures; each of its tests is registered with ctest, offscreen and in a UTF-8 locale.
function(add_unit_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ombrelia_test_support)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8"
               LABELS unit TIMEOUT 120)
endfunction()
