# Quillmere.exe with 1, 2 and 4 jobs at once on real encoders, under Wine
# (win64 build; see the program's header). It drives the program with the
# end-to-end tests' helpers, so it is built with the tests.
set(CORV_ENCODER_CACHE "$ENV{HOME}/.cache/corvandale" CACHE PATH
    "Where scripts/build-encoders.sh leaves the encoders")
add_executable(quillmere_jobs_at_once quillmere_jobs_at_once.cpp)
target_include_directories(quillmere_jobs_at_once PRIVATE ${PROJECT_SOURCE_DIR}/tests/e2e)
target_link_libraries(quillmere_jobs_at_once PRIVATE corvandale_e2e_support corv_warnings)
target_compile_definitions(quillmere_jobs_at_once PRIVATE CORV_ENCODER_CACHE="${CORV_ENCODER_CACHE}")
add_custom_command(TARGET quillmere_jobs_at_once POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Quillmere>
                           $<TARGET_FILE_DIR:quillmere_jobs_at_once>)
add_dependencies(quillmere_jobs_at_once Quillmere)
