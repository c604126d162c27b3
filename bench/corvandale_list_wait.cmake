# Corvandale.exe answering while it fills its list with dropped files, under
# Wine (win64 build; see the program's header). It drives the program with
# the end-to-end tests' helpers, so it is built with the tests.
add_executable(corvandale_list_wait corvandale_list_wait.cpp)
target_include_directories(corvandale_list_wait PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e)
target_link_libraries(corvandale_list_wait PRIVATE corvandale_e2e_support corv_warnings)
foreach(beside Corvandale ssrcdll drop_helper)
  add_custom_command(TARGET corvandale_list_wait POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${beside}>
                             $<TARGET_FILE_DIR:corvandale_list_wait>)
endforeach()
add_dependencies(corvandale_list_wait Corvandale ssrcdll drop_helper)
