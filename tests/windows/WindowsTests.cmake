# The Windows build's tests: GoogleTest built from Debian's sources with the
# cross compiler, every test program run under wine with a prefix inside the
# build folder, and whole-program runs whose files must equal the Linux build's.

set(ZORVEK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources, built for the target")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ZORVEK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(ZORVEK_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
set(ZORVEK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${ZORVEK_WINE_RUN} @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
# Test programs run through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORVEK_WINE_RUN})

# Wine is booted once before the tests and its server ended after them, so
# that nothing of it is left running when CTest ends.
add_test(NAME windows.wine.boot COMMAND ${ZORVEK_WINE_RUN} --boot)
set_tests_properties(windows.wine.boot PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME windows.wine.stop COMMAND ${ZORVEK_WINE_RUN} --stop)
set_tests_properties(windows.wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120)

set(ZORVEK_LINUX_BUILD ${PROJECT_SOURCE_DIR}/build/default
    CACHE PATH "A Linux build of the same tree, whose outputs the Windows build's must equal")

# The motions the test programs write, kept per program (windows/AREA) and
# compared with those of the Linux build's same programs (linux/AREA).
set(ZORVEK_TEST_MOTIONS ${CMAKE_BINARY_DIR}/test-motions)
add_test(NAME windows.test-motions.clear COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZORVEK_TEST_MOTIONS})
set_tests_properties(windows.test-motions.clear PROPERTIES FIXTURES_SETUP test-motions-cleared)

# Runs zorvek.exe under wine and the Linux zorvek on the same answers; skipped
# (77) when the Linux build is missing.
function(zorvek_add_windows_end_to_end_tests)
  foreach(run IN ITEMS menu convert rescale command-line motion)
    add_test(NAME windows.e2e.${run}
             COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/e2e.sh ${run} ${ZORVEK_LINUX_BUILD}
                     $<TARGET_FILE:zorvek> ${ZORVEK_WINE_RUN} ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}/e2e/${run})
    set_tests_properties(windows.e2e.${run} PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE 77 TIMEOUT 300
                                                       LABELS program)
  endforeach()
  add_test(NAME windows.e2e.test-motions
           COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/test-motions.sh ${ZORVEK_LINUX_BUILD} ${ZORVEK_TEST_MOTIONS})
  set_tests_properties(windows.e2e.test-motions PROPERTIES FIXTURES_REQUIRED test-motions SKIP_RETURN_CODE 77
                                                           TIMEOUT 600 LABELS program)
endfunction()
