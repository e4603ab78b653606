# Test executables. Under the cross build ctest runs them through Wine (the toolchain's
# emulator); in the native build they run directly, under sanitizers.
option(TESSALY_TESTS "Build the tests" ON)
option(TESSALY_SANITIZE "Native build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

option(TESSALY_FUZZ "Native clang build of the libFuzzer targets only" OFF)

if(TESSALY_FUZZ)
  set(TESSALY_TESTS OFF)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(TESSALY_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TESSALY_TESTS)
  enable_testing()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# tessaly_add_test(NAME <name> [PORTABLE] SOURCES ... [LIBS ...] [FIXTURES ...] [TIMEOUT s])
#   A PORTABLE test calls nothing of Windows: it builds in every build, so natively it
#   also runs under the sanitizers. Any other test needs Windows and exists only in the
#   Windows builds, where it runs under Wine.
function(tessaly_add_test)
  cmake_parse_arguments(T "PORTABLE" "NAME;TIMEOUT" "SOURCES;LIBS;FIXTURES" ${ARGN})
  if(NOT T_PORTABLE AND NOT WIN32)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(T_FIXTURES MATCHES "http_server")
    target_link_libraries(${T_NAME} PRIVATE tessaly_test_support)
  endif()
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  tessaly_warnings(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_FIXTURES)
    set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
  endif()
endfunction()
