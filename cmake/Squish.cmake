# libsquish decodes DXT blocks (and the tests' TXD builder encodes them).
# Linux links Debian's libsquish-dev. The Windows cross build compiles the same
# release from Debian's source package, fetched into the build folder at
# configure time, without SIMD or OpenMP so that it needs no runtime of its own.
if(CMAKE_CROSSCOMPILING)
  zorvek_debian_source(squish_dir libsquish squish.cpp)

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
