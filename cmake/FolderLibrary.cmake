# vl_folder_library(NAME [USES lib...] [LINKS lib...])
# Builds the .cpp files of the calling folder into the static library vl_NAME. Its include
# root holds only this folder; the roots of the libraries it USES come with them, so the
# build itself checks which folder may include which.
function(vl_folder_library name)
  cmake_parse_arguments(ARG "" "" "USES;LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  set(target vl_${name})
  set(scope PUBLIC)
  if(sources)
    add_library(${target} STATIC ${sources})
  else()
    add_library(${target} INTERFACE) # a folder whose subsystem is not built yet
    set(scope INTERFACE)
  endif()
  set(root ${CMAKE_BINARY_DIR}/include-roots/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
  target_link_libraries(${target} ${scope} ${ARG_USES} ${ARG_LINKS})
endfunction()
