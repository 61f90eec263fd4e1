# Windows test programs run under wine64 in one throwaway prefix per build tree, made by a ctest
# fixture before the first of them and removed after the last. Each carries the label windows; the
# CMake file that registers a test adds the labels of its kind (driver, odbc, e2e, interrupted),
# by which scripts/test.sh picks what to run.
#
# The prefix is a 64-bit Windows in both builds: the x86_64 programs run on it as they are, the i686
# ones (the build that ships) under WoW64, where the products they look for are 32-bit too.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SETUP_WINDOWS wow64)
else()
  set(SETUP_WINDOWS x64)
endif()

# In a folder of its own, which the tests' unprivileged user owns with all it holds.
set(WINE_TEST_PREFIX ${CMAKE_BINARY_DIR}/wine/prefix)
set(WINE_RUN ${CMAKE_SOURCE_DIR}/tests/wine/run.sh ${WINE_TEST_PREFIX})

function(setup_wine_fixture)
  add_test(NAME wine_prefix_setup
           COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/prefix.sh setup ${WINE_TEST_PREFIX})
  set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300
    LABELS windows)
  add_test(NAME wine_prefix_cleanup
           COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/prefix.sh cleanup ${WINE_TEST_PREFIX})
  set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix LABELS windows)
endfunction()

# add_wine_test(NAME <name> COMMAND <target-or-exe> [args...])
function(add_wine_test)
  cmake_parse_arguments(ARG "" "NAME" "COMMAND" ${ARGN})
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES
    FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix TIMEOUT 300 LABELS windows)
endfunction()
