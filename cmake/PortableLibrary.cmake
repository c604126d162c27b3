# A library made of every portable source of the given folders (their win/
# subfolders excluded); each folder adds files without touching the build.
# Where an OS seam has one file per platform, *_win.cpp is built for Windows
# and *_posix.cpp everywhere else.
#
# HEADERS names the folders whose headers the library shows to what links it
# (see corv_own_headers); without it, the whole source tree is on the path.
function(corv_portable_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;DEPS;HEADERS" ${ARGN})
  set(sources)
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    set(scope PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE corv_warnings)
  else()
    add_library(${name} INTERFACE)
    set(scope INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  if(ARG_HEADERS)
    corv_own_headers(${name} ${scope} ${ARG_HEADERS})
  else()
    target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR})
  endif()
endfunction()

# Puts on the target's include path the headers of the given folders and
# nothing else: each gets a link of its own below the build tree, under its
# path from the source root ("analyser/engine/settings_file.h"). A layer that
# includes a header of a layer it does not link to is refused by the compiler
# ("No such file or directory"), so the layers' arrows run one way.
function(corv_own_headers target scope)
  set(root ${PROJECT_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${root})
  foreach(folder IN LISTS ARGN)
    cmake_path(ABSOLUTE_PATH folder BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE absolute)
    cmake_path(RELATIVE_PATH absolute BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE relative)
    file(GLOB headers CONFIGURE_DEPENDS ${absolute}/*.h ${absolute}/*.inc)
    file(MAKE_DIRECTORY ${root}/${relative})
    foreach(header IN LISTS headers)
      cmake_path(GET header FILENAME file)
      file(CREATE_LINK ${header} ${root}/${relative}/${file} SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
