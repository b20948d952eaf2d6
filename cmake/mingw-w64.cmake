# Cross-compiles for 64-bit Windows with Debian's mingw-w64. The -posix
# compilers carry std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZORVEK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZORVEK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORVEK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORVEK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORVEK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime goes into the executable, so zorvek.exe needs no DLL beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Boost, CLI11, stb and glm are header-only; the host's copies serve the cross build
# too. Adding /usr/include itself would put the host's C library before mingw's,
# so a folder holds nothing but links to those libraries.
set(ZORVEK_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(library IN ITEMS boost CLI stb glm)
  if(NOT EXISTS ${ZORVEK_HOST_HEADERS}/${library} AND EXISTS /usr/include/${library})
    file(MAKE_DIRECTORY ${ZORVEK_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${library} ${ZORVEK_HOST_HEADERS}/${library} SYMBOLIC)
  endif()
endforeach()
set(Boost_INCLUDE_DIR ${ZORVEK_HOST_HEADERS} CACHE PATH "Boost headers for the cross build")
set(Boost_NO_BOOST_CMAKE ON)
set(Boost_NO_SYSTEM_PATHS ON)
