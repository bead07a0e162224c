# GoogleTest from Debian's googletest source package, built with the cross toolchain.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "googletest sources")
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# googletest carries its own warnings; keep the project's flags off it.
foreach(t gtest gtest_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -w)
  endif()
endforeach()

# Seconds a test program may take; machines that emulate 32-bit code run far slower. The value
# given at configure time is kept in the cache, so that a re-run of CMake started by the build
# (without the scripts' environment) keeps it.
if(DEFINED ENV{SORAHANE_TEST_TIMEOUT})
  set(SORAHANE_TEST_TIMEOUT $ENV{SORAHANE_TEST_TIMEOUT} CACHE STRING "Seconds a test program may take" FORCE)
elseif(NOT DEFINED CACHE{SORAHANE_TEST_TIMEOUT})
  set(SORAHANE_TEST_TIMEOUT 300 CACHE STRING "Seconds a test program may take")
endif()

# sorahane_add_test(name SOURCES ... LIBS ... [SERIAL_SUITES suite ...])
# One test program per subsystem; CTest runs each program under Wine as one test. The suites
# named in SERIAL_SUITES (tests that change the display's cooperative level or mode) run as a
# CTest test of their own, alone, and are left out of the program's main run.
function(sorahane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;SERIAL_SUITES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_support gtest_main)
  if(T_SERIAL_SUITES)
    list(TRANSFORM T_SERIAL_SUITES APPEND ".*")
    string(REPLACE ";" ":" serial "${T_SERIAL_SUITES}")
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no --gtest_filter=-${serial})
    add_test(NAME ${name}_serial COMMAND ${name} --gtest_color=no --gtest_filter=${serial})
    set_tests_properties(${name}_serial PROPERTIES TIMEOUT ${SORAHANE_TEST_TIMEOUT} RUN_SERIAL TRUE)
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${SORAHANE_TEST_TIMEOUT})
endfunction()
