# The Windows cross build compiles the libraries that Linux links from Debian's
# own source packages, of the same release, fetched into the build folder at
# configure time (scripts/install-deps.sh windows adds the source entries).

# Sets `out` to the unpacked source folder of `package`: the folder named
# `package`-* holding `marker`, fetched with apt-get source when none is there.
function(zorvek_debian_source out package marker)
  set(third_party ${CMAKE_BINARY_DIR}/third_party)
  foreach(attempt IN ITEMS found fetched)
    file(GLOB candidates LIST_DIRECTORIES true ${third_party}/${package}-*)
    foreach(candidate IN LISTS candidates)
      if(IS_DIRECTORY ${candidate} AND EXISTS ${candidate}/${marker})
        set(${out} ${candidate} PARENT_SCOPE)
        return()
      endif()
    endforeach()
    if(attempt STREQUAL fetched)
      break()
    endif()
    file(MAKE_DIRECTORY ${third_party})
    message(STATUS "Fetching ${package}'s Debian source package into ${third_party}")
    execute_process(COMMAND apt-get source -qq ${package}
                    WORKING_DIRECTORY ${third_party}
                    RESULT_VARIABLE fetch_status OUTPUT_QUIET ERROR_VARIABLE fetch_errors)
  endforeach()
  message(FATAL_ERROR "apt-get source ${package} failed (${fetch_status}): ${fetch_errors}\n"
                      "Debian's source entries are added by: bash scripts/install-deps.sh windows")
endfunction()
