# corvane_add_test(<name> SOURCES <files...> LIBS <libs...> [WINDOWS_ONLY] [NATIVE_ONLY] [TIMEOUT s])
#
# Builds a GoogleTest program. Natively every test case becomes its own CTest test;
# in the Windows builds the program runs once through the cross-compiling emulator (one Wine
# start per program): Wine's 64-bit loader for win64, the 32-bit Wine of the x86 test machine
# for win32.
function(corvane_add_test name)
  cmake_parse_arguments(T "WINDOWS_ONLY;NATIVE_ONLY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(T_WINDOWS_ONLY AND NOT CORVANE_WINDOWS)
    return()
  endif()
  if(T_NATIVE_ONLY AND CORVANE_WINDOWS)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(CORVANE_X86)
    # The x86 test machine emulates its processor: the same work takes several times as long.
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 4")
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  if(NOT CORVANE_WINDOWS)
    include(GoogleTest)
    gtest_discover_tests(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} DISCOVERY_TIMEOUT 60)
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
  if(CORVANE_X86)
    corvane_check_test_pe(${name})
  endif()
endfunction()

# corvane_check_pe(<target> MACHINE <i386|x86-64> [EXPORTS names...])
# Checks a Windows binary without running it: PE machine type, exported names,
# and that every imported DLL is a system DLL.
function(corvane_check_pe target)
  cmake_parse_arguments(P "" "MACHINE" "EXPORTS" ${ARGN})
  add_test(NAME pecheck_${target}
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-pe.sh $<TARGET_FILE:${target}> ${P_MACHINE} ${P_EXPORTS})
  set_tests_properties(pecheck_${target} PROPERTIES TIMEOUT 60)
endfunction()

# Every Windows test program is also checked as a PE file of its build's machine.
function(corvane_check_test_pe name)
  if(CORVANE_WINDOWS AND TARGET ${name})
    if(CORVANE_X86)
      corvane_check_pe(${name} MACHINE i386)
    else()
      corvane_check_pe(${name} MACHINE x86-64)
    endif()
  endif()
endfunction()
