# Shared build helpers: warnings for the project's own code, and one-line test registration.

# Warnings are errors in the project's own builds (`make`, CI: MORVANTA_WERROR=ON) and only
# warnings in a bare `cmake` build, so a packager's compiler or flags never stop a release.
add_library(morvanta_warnings INTERFACE)
target_compile_options(morvanta_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(MORVANTA_WERROR)
    target_compile_options(morvanta_warnings INTERFACE -Werror)
endif()

# morvanta_library(<name> SOURCES ... [DEPS ...])
# A static library whose include root is the repository root ("core/core.h").
function(morvanta_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE morvanta_warnings ${ARG_PRIVATE_DEPS})
endfunction()

# morvanta_test(<name> LABELS <label...> SOURCES ... [DEPS ...] [TIMEOUT s])
# One GoogleTest executable registered as one ctest entry carrying the given labels.
function(morvanta_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS;SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main morvanta_warnings)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT})
endfunction()
