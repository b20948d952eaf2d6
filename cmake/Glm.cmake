# glm: quaternions and rotation matrices for the motion poses. Header-only,
# included as system headers; a cross build reaches the host's copy through
# the folder of host header links (cmake/mingw-w64.cmake).
add_library(zorvek_glm INTERFACE)
if(ZORVEK_HOST_HEADERS)
  target_include_directories(zorvek_glm SYSTEM INTERFACE ${ZORVEK_HOST_HEADERS})
else()
  find_path(ZORVEK_GLM_INCLUDE_DIR glm/glm.hpp REQUIRED)
  target_include_directories(zorvek_glm SYSTEM INTERFACE ${ZORVEK_GLM_INCLUDE_DIR})
endif()
# Plain C++ arithmetic only: the same bits on every platform and compiler.
target_compile_definitions(zorvek_glm INTERFACE GLM_FORCE_PURE)
