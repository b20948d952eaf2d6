# libsquish decodes DXT blocks (and the tests' TXD builder encodes them).
# Linux links Debian's libsquish-dev. The Windows cross build compiles the same
# release from Debian's source package, fetched into the build folder at
# configure time, without SIMD or OpenMP so that it needs no runtime of its own.
if(CMAKE_CROSSCOMPILING)
  set(ZORVEK_THIRD_PARTY_DIR ${CMAKE_BINARY_DIR}/third_party)

  function(zorvek_find_squish_source out)
    file(GLOB candidates LIST_DIRECTORIES true ${ZORVEK_THIRD_PARTY_DIR}/libsquish-*)
    foreach(candidate IN LISTS candidates)
      if(IS_DIRECTORY ${candidate} AND EXISTS ${candidate}/squish.cpp)
        set(${out} ${candidate} PARENT_SCOPE)
        return()
      endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
  endfunction()

  zorvek_find_squish_source(squish_dir)
  if(NOT squish_dir)
    file(MAKE_DIRECTORY ${ZORVEK_THIRD_PARTY_DIR})
    message(STATUS "Fetching libsquish's Debian source package into ${ZORVEK_THIRD_PARTY_DIR}")
    execute_process(COMMAND apt-get source -qq libsquish
                    WORKING_DIRECTORY ${ZORVEK_THIRD_PARTY_DIR}
                    RESULT_VARIABLE fetch_status OUTPUT_QUIET ERROR_VARIABLE fetch_errors)
    zorvek_find_squish_source(squish_dir)
    if(NOT squish_dir)
      message(FATAL_ERROR "apt-get source libsquish failed (${fetch_status}): ${fetch_errors}\n"
                          "Debian's source entries are added by: bash scripts/install-deps.sh windows")
    endif()
  endif()

  set(squish_sources alpha.cpp clusterfit.cpp colourblock.cpp colourfit.cpp colourset.cpp maths.cpp rangefit.cpp
                     singlecolourfit.cpp squish.cpp)
  list(TRANSFORM squish_sources PREPEND ${squish_dir}/)
  add_library(zorvek_squish STATIC ${squish_sources})
  target_include_directories(zorvek_squish SYSTEM PUBLIC ${squish_dir})
  target_compile_definitions(zorvek_squish PRIVATE SQUISH_USE_SSE=0 SQUISH_USE_ALTIVEC=0)
else()
  find_path(ZORVEK_SQUISH_INCLUDE_DIR squish.h REQUIRED)
  find_library(ZORVEK_SQUISH_LIBRARY squish REQUIRED)
  add_library(zorvek_squish INTERFACE)
  target_include_directories(zorvek_squish SYSTEM INTERFACE ${ZORVEK_SQUISH_INCLUDE_DIR})
  target_link_libraries(zorvek_squish INTERFACE ${ZORVEK_SQUISH_LIBRARY})
endif()
