# kuvertino_add_test(<name> SOURCES <files...> [LABELS <labels...>] [LIBS <libs...>])
# One Qt Test program linked to the library, run offscreen with a fixed locale.
function(kuvertino_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LABELS;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kuvertino_core Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
    target_compile_definitions(${name} PRIVATE
        KUVERTINO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
        KUVERTINO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QT_QPA_PLATFORMTHEME=;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        TIMEOUT 300)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
