# What scripts/package.sh needs to know of this build: the version, the
# variant and where the five binaries are; `cmake --build --preset win64
# --target release` builds them and makes the zip and the installer.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CORV_RELEASE_VARIANT win64)
  set(CORV_NSIS_TARGET amd64-unicode)
else()
  set(CORV_RELEASE_VARIANT win32)
  set(CORV_NSIS_TARGET x86-unicode)
endif()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/release-inputs.sh CONTENT "\
version='${PROJECT_VERSION}'
variant='${CORV_RELEASE_VARIANT}'
nsis_target='${CORV_NSIS_TARGET}'
strip_tool='${CMAKE_STRIP}'
Corvandale_exe='$<TARGET_FILE:Corvandale>'
Quillmere_exe='$<TARGET_FILE:Quillmere>'
ssrcdll_dll='$<TARGET_FILE:ssrcdll>'
corvandale_cli_exe='$<TARGET_FILE:corvandale-cli>'
unzip_exe='$<TARGET_FILE:unzip>'
")
add_custom_target(release
                  COMMAND ${PROJECT_SOURCE_DIR}/scripts/package.sh ${PROJECT_BINARY_DIR}
                          ${PROJECT_BINARY_DIR}/release
                  DEPENDS Corvandale Quillmere ssrcdll corvandale-cli unzip
                  USES_TERMINAL VERBATIM)
