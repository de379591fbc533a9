# Helpers shared by every folder: warnings, sanitizers, subsystem libraries and test programs.

set(XMLAGENT_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wno-unused-parameter)
if(XMLAGENT_WERROR)
  list(APPEND XMLAGENT_WARNINGS -Werror)
endif()

if(XMLAGENT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# xmlagent_subsystem(NAME DEPENDS...): a static library of every .cpp in the current folder
# (and its sub-folders), compiled with our warnings; the repository root is the include root.
function(xmlagent_subsystem name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${XMLAGENT_WARNINGS})
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# xmlagent_test_program(NAME LIBS...): one GoogleTest program from every .cpp in tests/NAME,
# registered with CTest test by test.
function(xmlagent_test_program name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_compile_options(${name}_tests PRIVATE ${XMLAGENT_WARNINGS})
  target_compile_definitions(${name}_tests PRIVATE
      XMLAGENT_SOURCE_DIR="${PROJECT_SOURCE_DIR}" XMLAGENT_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/${name}/data")
  target_link_libraries(${name}_tests PRIVATE ${ARGN} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}_tests DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} PROPERTIES TIMEOUT 120)
endfunction()

# Links static subsystem libraries into a shared object whole, so that nothing is dropped.
function(xmlagent_link_whole target)
  target_link_libraries(${target} PRIVATE -Wl,--whole-archive ${ARGN} -Wl,--no-whole-archive)
endfunction()
