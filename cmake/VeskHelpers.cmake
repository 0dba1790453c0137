# Helpers shared by the src/, tests/ and bench/ folders.

# vesk_library(<name> [DEPS <targets>...] [EXCLUDE <file names>...]
#              [WINDOW <file names>...] [CORE_DEPS <targets>...])
# Builds the static library vesk_<name> from every .cpp/.h of the calling
# folder. Globbing keeps subsystems from having to edit a shared list.
#
# With WINDOW, the folder is cut in two: the listed files (windows, dialogs,
# widgets) build vesk_<name> with DEPS, and every other file builds the
# engine library vesk_<name>_core, linked to CORE_DEPS only. A core library
# that needs no Qt module beyond QtCore cannot even include a widget header,
# so the build itself keeps engines free of windows; vesk_<name> links its
# core, so users of the whole subsystem keep linking vesk_<name>.
function(vesk_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE;WINDOW;CORE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  foreach(excluded ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "/${excluded}$")
  endforeach()
  if(ARG_WINDOW)
    set(window_sources "")
    foreach(file ${ARG_WINDOW})
      if(NOT EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
        message(FATAL_ERROR "vesk_library(${name}): WINDOW names a missing file ${file}")
      endif()
      list(APPEND window_sources "${CMAKE_CURRENT_SOURCE_DIR}/${file}")
      list(FILTER sources EXCLUDE REGEX "/${file}$")
    endforeach()
    vesk_add_library(vesk_${name}_core "${sources}" "${ARG_CORE_DEPS}")
    vesk_add_library(vesk_${name} "${window_sources}" "vesk_${name}_core;${ARG_DEPS}")
  else()
    vesk_add_library(vesk_${name} "${sources}" "${ARG_DEPS}")
  endif()
endfunction()

# A static library of `sources`, or an interface library when there are no
# .cpp files yet (a subsystem whose first sources are still to come).
function(vesk_add_library target sources deps)
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${target} PUBLIC ${deps})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${target} INTERFACE ${deps})
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

# vesk_check_cores([EXCEPT <targets>...])
# Fails the configuration when an engine library (vesk_*_core) links, even
# through another library, Qt Widgets or Qt Gui: engines stay testable
# without a display, and a dependency added by mistake is caught at once.
function(vesk_check_cores)
  cmake_parse_arguments(ARG "" "" "EXCEPT" ${ARGN})
  get_property(subdirs DIRECTORY "${CMAKE_SOURCE_DIR}/src" PROPERTY SUBDIRECTORIES)
  foreach(dir ${subdirs})
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      if(target MATCHES "^vesk_.*_core$" AND NOT target IN_LIST ARG_EXCEPT)
        set(seen "")
        set(queue ${target})
        while(queue)
          list(POP_FRONT queue current)
          if(current IN_LIST seen OR NOT TARGET ${current})
            continue()
          endif()
          list(APPEND seen ${current})
          if(current MATCHES "^Qt6::(Widgets|Gui)$")
            message(FATAL_ERROR "${target} must link QtCore only, but reaches ${current}")
          endif()
          get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
          if(links)
            list(APPEND queue ${links})
          endif()
        endwhile()
      endif()
    endforeach()
  endforeach()
endfunction()
