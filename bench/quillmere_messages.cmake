# Quillmere.exe's message throughput under Wine (win64 build; see the program's
# header). It starts the copy of Quillmere.exe that sits beside it.
add_executable(quillmere_messages quillmere_messages.cpp)
target_link_libraries(quillmere_messages PRIVATE corv_protocol comctl32 psapi corv_warnings)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/Quillmere.exe
                   COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Quillmere> ${CMAKE_CURRENT_BINARY_DIR}/Quillmere.exe
                   DEPENDS Quillmere)
add_custom_target(bench_quillmere_copy ALL DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/Quillmere.exe)
add_dependencies(quillmere_messages bench_quillmere_copy)
