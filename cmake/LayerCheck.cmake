# corv_layer_check(<target> FOLDERS <folder>... ALLOW <folder>...)
#
# Keeps a layer's includes running one way: building <target> first reads
# the .h, .c, .cpp and .rc files of FOLDERS (relative to the current source
# folder; their subfolders are not read) and stops the build at an include
# "dir/file.h" whose folder is neither one of FOLDERS nor one of ALLOW
# (folders relative to the project root, each meant exactly: "batcher/config"
# does not let in "batcher/config/win"). Includes without a folder (a
# generated header, resource.h) pass; "../x.h" is taken from the including
# file's folder. Every library includes from the project root, so the
# compiler alone would find any header; this is what refuses one above.
#
#   corv_layer_check(quillmere_encoders FOLDERS encoders ALLOW batcher/config platform protocol)
#
# The check runs again whenever one of those files changes or one is added;
# for a library without sources (INTERFACE) it is a target of its own in the
# default build.
set(CORV_LAYER_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DROOT=... -DFILES=a|b -DALLOW=x|y -P LayerCheck.cmake
  cmake_policy(VERSION 3.25)
  string(REPLACE "|" ";" files "${FILES}")
  string(REPLACE "|" ";" allow "${ALLOW}")
  set(refused)
  foreach(file IN LISTS files)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
      if(included MATCHES "^\\.\\.?/")
        get_filename_component(here ${file} DIRECTORY)
        get_filename_component(included ${here}/${included} ABSOLUTE)
        file(RELATIVE_PATH included ${ROOT} ${included})
      endif()
      get_filename_component(folder "${included}" DIRECTORY)
      if(NOT folder STREQUAL "" AND NOT folder IN_LIST allow)
        file(RELATIVE_PATH shown ${ROOT} ${file})
        list(APPEND refused "  ${shown}: #include \"${included}\"")
      endif()
    endforeach()
  endforeach()
  if(refused)
    list(JOIN refused "\n" refused)
    string(REPLACE ";" ", " allowed "${allow}")
    message(FATAL_ERROR "An include runs against the layers; these files may include only from "
                        "${allowed}:\n${refused}")
  endif()
  return()
endif()

function(corv_layer_check target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;ALLOW" ${ARGN})
  set(files)
  set(allow ${ARG_ALLOW})
  foreach(folder IN LISTS ARG_FOLDERS)
    set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${folder})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.c ${dir}/*.cpp ${dir}/*.rc)
    list(APPEND files ${found})
    file(RELATIVE_PATH own ${PROJECT_SOURCE_DIR} ${dir})
    string(REGEX REPLACE "/\\.?$" "" own "${own}")
    list(APPEND allow ${own})
  endforeach()
  list(JOIN files "|" file_arg)
  list(JOIN allow "|" allow_arg)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_layer_check.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DFILES=${file_arg} -DALLOW=${allow_arg}
            -P ${CORV_LAYER_CHECK_SCRIPT}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${files} ${CORV_LAYER_CHECK_SCRIPT}
    COMMENT "Checking that ${target} includes only from its own layer and those below"
    VERBATIM)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    add_custom_target(${target}_layer_check ALL DEPENDS ${stamp})
  else()
    target_sources(${target} PRIVATE ${stamp})
  endif()
endfunction()
