# Warnings are on for everything we compile; CI turns them into errors.
add_library(lumora_warnings INTERFACE)
target_compile_options(lumora_warnings INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
if(LUMORA_WERROR)
    target_compile_options(lumora_warnings INTERFACE -Werror)
endif()
