include(GoogleTest)

# add_unit_test(NAME SOURCES... [PROPERTIES ctest properties...]): one test program linked
# against the program's library and the shared fixtures; each of its tests is registered with
# ctest, offscreen and in a UTF-8 locale, with any further properties given.
function(add_unit_test name)
  cmake_parse_arguments(PARSE_ARGV 1 unit "" "" "PROPERTIES")
  add_executable(${name} ${unit_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ombrelia_test_support)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8"
               LABELS unit TIMEOUT 120 SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
               ${unit_PROPERTIES})
endfunction()
