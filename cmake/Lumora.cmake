# lumora_library(NAME folder-relative-to-src DEPS ...)
# One static library per layer; `src/` is the include root ("platform/rtl/String.h").
function(lumora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    if(NOT ARG_SOURCES)
        # A layer whose first sources have not landed yet.
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
        return()
    endif()
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE lumora_warnings ${ARG_PRIVATE_DEPS})
endfunction()

# lumora_test(NAME SOURCES ... DEPS ... [LABELS unit|desktop])
# Each test area is one GoogleTest executable; every case becomes a CTest test.
function(lumora_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    if(NOT ARG_LABELS)
        set(ARG_LABELS unit)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} lumora_warnings GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        LUMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        LUMORA_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/../shared/testdata"
        LUMORA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 300)
endfunction()

# lumora_bench(NAME SOURCES ... DEPS ...): built with `make bench`, not with `make test`.
function(lumora_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} EXCLUDE_FROM_ALL ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} lumora_warnings benchmark::benchmark)
    add_dependencies(benchmarks ${name})
    set_property(GLOBAL APPEND PROPERTY LUMORA_BENCHMARKS ${name})
endfunction()
