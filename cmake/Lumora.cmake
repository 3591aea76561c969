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

# lumora_embed_resources(TARGET NAME ITEM...)
# Embeds files into TARGET as resources of the program (rtl::HInstance), found
# with rtl::FindResource and TResourceStream. Each ITEM is
#   [TYPE:]RESNAME=FILE   (TYPE: RCDATA (default), BITMAP, ICON, GROUP_ICON,
#                          HTML, MANIFEST, a number, or any other word as a
#                          string type)
#   FILE                  (an RCDATA resource named after the file, no extension)
# Relative files are taken from the calling folder. NAME identifies the set and
# must be unique in the build. A static-library TARGET keeps the set linked
# into every program that links it.
set(LUMORA_EMBED_RESOURCES_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/EmbedResources.cmake")
function(lumora_embed_resources target name)
    if(NOT name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
        message(FATAL_ERROR "lumora_embed_resources: '${name}' is not a valid set name")
    endif()
    set(manifest "")
    set(files "")
    foreach(item IN LISTS ARGN)
        if(item MATCHES "^(([A-Za-z0-9_]+):)?([^=:]+)=(.+)$")
            set(type "${CMAKE_MATCH_2}")
            set(resname "${CMAKE_MATCH_3}")
            set(file "${CMAKE_MATCH_4}")
        else()
            set(type "")
            get_filename_component(resname "${item}" NAME_WE)
            set(file "${item}")
        endif()
        if(NOT type)
            set(type RCDATA)
        endif()
        if(NOT resname MATCHES "^[A-Za-z0-9_.#-]+$")
            message(FATAL_ERROR "lumora_embed_resources: '${resname}' is not a valid resource name")
        endif()
        if(NOT IS_ABSOLUTE "${file}")
            set(file "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
        endif()
        string(APPEND manifest "${type}|${resname}|${file}\n")
        list(APPEND files "${file}")
    endforeach()
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/resources")
    set(manifest_file "${dir}/${name}.txt")
    set(output "${dir}/${name}.cpp")
    file(CONFIGURE OUTPUT "${manifest_file}" CONTENT "${manifest}" @ONLY)
    add_custom_command(OUTPUT "${output}"
        COMMAND "${CMAKE_COMMAND}" "-DMANIFEST=${manifest_file}" "-DOUTPUT=${output}" "-DSET_NAME=${name}"
                -P "${LUMORA_EMBED_RESOURCES_SCRIPT}"
        DEPENDS ${files} "${manifest_file}" "${LUMORA_EMBED_RESOURCES_SCRIPT}"
        COMMENT "Embedding resources ${name}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
    get_target_property(kind ${target} TYPE)
    if(kind STREQUAL "STATIC_LIBRARY")
        # Nothing refers to the registrar object; keep the linker from dropping it.
        target_link_options(${target} INTERFACE "LINKER:--undefined=lumora_resources_${name}")
    endif()
endfunction()
