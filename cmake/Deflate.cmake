# libdeflate compresses the PNG images. Linux links Debian's libdeflate-dev.
# The Windows cross build compiles the same release from Debian's source
# package, fetched into the build folder at configure time, as libsquish is:
# one release on both sides, so both write the same PNG bytes. Only its
# compressor is built; the tests decode with stb.
if(CMAKE_CROSSCOMPILING)
  enable_language(C)
  set(ZORVEK_THIRD_PARTY_DIR ${CMAKE_BINARY_DIR}/third_party)

  function(zorvek_find_deflate_source out)
    file(GLOB candidates LIST_DIRECTORIES true ${ZORVEK_THIRD_PARTY_DIR}/libdeflate-*)
    foreach(candidate IN LISTS candidates)
      if(IS_DIRECTORY ${candidate} AND EXISTS ${candidate}/lib/deflate_compress.c)
        set(${out} ${candidate} PARENT_SCOPE)
        return()
      endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
  endfunction()

  zorvek_find_deflate_source(deflate_dir)
  if(NOT deflate_dir)
    file(MAKE_DIRECTORY ${ZORVEK_THIRD_PARTY_DIR})
    message(STATUS "Fetching libdeflate's Debian source package into ${ZORVEK_THIRD_PARTY_DIR}")
    execute_process(COMMAND apt-get source -qq libdeflate
                    WORKING_DIRECTORY ${ZORVEK_THIRD_PARTY_DIR}
                    RESULT_VARIABLE fetch_status OUTPUT_QUIET ERROR_VARIABLE fetch_errors)
    zorvek_find_deflate_source(deflate_dir)
    if(NOT deflate_dir)
      message(FATAL_ERROR "apt-get source libdeflate failed (${fetch_status}): ${fetch_errors}\n"
                          "Debian's source entries are added by: bash scripts/install-deps.sh windows")
    endif()
  endif()

  set(deflate_sources adler32.c crc32.c deflate_compress.c utils.c zlib_compress.c x86/cpu_features.c)
  list(TRANSFORM deflate_sources PREPEND ${deflate_dir}/lib/)
  add_library(zorvek_deflate STATIC ${deflate_sources})
  target_include_directories(zorvek_deflate SYSTEM PUBLIC ${deflate_dir})
  set_target_properties(zorvek_deflate PROPERTIES C_STANDARD 99)
else()
  find_path(ZORVEK_DEFLATE_INCLUDE_DIR libdeflate.h REQUIRED)
  find_library(ZORVEK_DEFLATE_LIBRARY deflate REQUIRED)
  add_library(zorvek_deflate INTERFACE)
  target_include_directories(zorvek_deflate SYSTEM INTERFACE ${ZORVEK_DEFLATE_INCLUDE_DIR})
  target_link_libraries(zorvek_deflate INTERFACE ${ZORVEK_DEFLATE_LIBRARY})
endif()
