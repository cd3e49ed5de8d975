# kuvertino_add_test(<name> SOURCES <files...> [LABELS <extra labels...>] [LIBS <libs...>])
# One Qt Test program linked to the application layer (and so to every layer below), run offscreen with a fixed locale. Every test carries
# the label of its subsystem, the name of its folder under tests/ (tests/print -> print); LABELS only
# adds to it (gui, cups), so no test goes unlabelled.
function(kuvertino_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LABELS;LIBS" ${ARGN})
    get_filename_component(parent ${CMAKE_CURRENT_SOURCE_DIR} DIRECTORY)
    get_filename_component(subsystem ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    if(NOT parent STREQUAL "${CMAKE_SOURCE_DIR}/tests")
        message(FATAL_ERROR "kuvertino_add_test(${name}): tests live in tests/<subsystem>/, "
                            "not in ${CMAKE_CURRENT_SOURCE_DIR}")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kuvertino_app Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common)
    target_compile_definitions(${name} PRIVATE
        KUVERTINO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
        KUVERTINO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set(labels ${subsystem} ${ARG_LABELS})
    list(REMOVE_DUPLICATES labels)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QT_QPA_PLATFORMTHEME=;ASAN_OPTIONS=detect_leaks=0:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        TIMEOUT 300
        LABELS "${labels}")
endfunction()
