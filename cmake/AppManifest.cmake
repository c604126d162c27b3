# Gives a Windows program the project's manifest (common controls 6, DPI
# awareness, UTF-8 process code page). The program's .rc, listed among the
# target's sources, includes "app_manifest.rc".
function(corv_use_app_manifest target rc_file)
  corv_use_version_info(${target} ${rc_file})
  set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS
               ${PROJECT_SOURCE_DIR}/platform/win/app.manifest
               ${PROJECT_SOURCE_DIR}/platform/win/app_manifest.rc)
endfunction()

# Lets the target's .rc include "version_info.rc" (the version resource) and
# the generated corvandale_version.h.
function(corv_use_version_info target rc_file)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/win)
  target_link_libraries(${target} PRIVATE corv_version)
  set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS
               ${PROJECT_SOURCE_DIR}/platform/win/version_info.rc ${CORV_VERSION_HEADER})
endfunction()
