# The checker of the dialogue's output forms, for the tests and the fuzzer.
include_guard(GLOBAL)
add_library(output_forms STATIC ${CMAKE_CURRENT_LIST_DIR}/OutputForms.cpp)
target_link_libraries(output_forms PUBLIC console)
