# libdeflate compresses the PNG images. Linux links Debian's libdeflate-dev.
# The Windows cross build compiles the same release from Debian's source
# package, fetched into the build folder at configure time, as libsquish is:
# one release on both sides, so both write the same PNG bytes. Only its
# compressor is built; the tests decode with stb.
if(CMAKE_CROSSCOMPILING)
  enable_language(C)
  zorvek_debian_source(deflate_dir libdeflate lib/deflate_compress.c)

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
