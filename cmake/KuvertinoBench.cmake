# kuvertino_add_bench(<name> SOURCES <files...>)
# One benchmark program linked to the library, with the shared measuring helper (bench/common) and the
# tests' isolation and dialog helpers (tests/common, which need Qt Test) at hand.
function(kuvertino_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE kuvertino_app Qt6::Test)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/bench/common ${CMAKE_SOURCE_DIR}/tests/common)
    target_compile_definitions(${name} PRIVATE KUVERTINO_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()
