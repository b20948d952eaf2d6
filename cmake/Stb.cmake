# stb's single-file image writer (and, for the tests, its reader): headers
# only, included as system headers so that their code is not held to our
# warning flags. A cross build reaches the host's copy through the folder of
# host header links (cmake/mingw-w64.cmake).
add_library(zorvek_stb INTERFACE)
if(ZORVEK_HOST_HEADERS)
  target_include_directories(zorvek_stb SYSTEM INTERFACE ${ZORVEK_HOST_HEADERS})
else()
  find_path(ZORVEK_STB_INCLUDE_DIR stb/stb_image_write.h REQUIRED)
  target_include_directories(zorvek_stb SYSTEM INTERFACE ${ZORVEK_STB_INCLUDE_DIR})
endif()
