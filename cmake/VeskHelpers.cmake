# Helpers shared by the src/, tests/ and bench/ folders.

# vesk_library(<name> [DEPS <targets>...] [EXCLUDE <file names>...])
# Builds the static library vesk_<name> from every .cpp/.h of the calling
# folder. Globbing keeps subsystems from having to edit a shared list.
function(vesk_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "/${excluded}$")
  endforeach()
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  if(sources)
    add_library(vesk_${name} STATIC ${sources} ${headers})
    target_include_directories(vesk_${name} PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(vesk_${name} PUBLIC ${ARG_DEPS})
  else()
    # A subsystem whose first sources are still to come.
    add_library(vesk_${name} INTERFACE)
    target_include_directories(vesk_${name} INTERFACE "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(vesk_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# vesk_test_suite(<folder> [DEPS <targets>...])
# Builds test_<folder> from tests/<folder>/*.cpp with the shared headless
# test main and registers every test case with CTest.
function(vesk_test_suite folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp"
       "${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h")
  if(NOT sources)
    return()
  endif()
  add_executable(test_${folder} ${sources})
  target_link_libraries(test_${folder} PRIVATE vesk_testsupport ${ARG_DEPS})
  gtest_discover_tests(test_${folder}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
