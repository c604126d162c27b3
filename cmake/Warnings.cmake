# One set of warnings for every target of the project.
add_library(corv_warnings INTERFACE)
target_compile_options(corv_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
if(CORV_WERROR)
  target_compile_options(corv_warnings INTERFACE -Werror)
endif()
