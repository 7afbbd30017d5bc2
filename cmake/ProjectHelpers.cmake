# Warnings for our own code: -Wall -Wextra, no warnings allowed to stand.
function(nr_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# Sources of a folder, picked up by glob so that adding a file pair needs no CMake edit.
function(nr_glob_sources out)
  set(result)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# nr_folder_target(name KIND): the one target of the current folder, made of every source in it
# (KIND: OBJECT, STATIC, SHARED, INTERFACE or EXECUTABLE). A library exports its folder, and only
# that, as its include directory; what else a file may include comes from the targets the folder
# links. Registered for the include check (cmake/CheckIncludes.cmake).
function(nr_folder_target name kind)
  if(kind STREQUAL "INTERFACE")
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
  else()
    nr_glob_sources(src ${CMAKE_CURRENT_SOURCE_DIR})
    if(kind STREQUAL "EXECUTABLE")
      add_executable(${name} ${src})
    else()
      add_library(${name} ${kind} ${src})
      target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    endif()
    nr_warnings(${name})
  endif()
  set_property(GLOBAL APPEND PROPERTY NR_FOLDER_TARGETS ${name})
  set_property(GLOBAL PROPERTY NR_FOLDER_OF_${name} ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()

# Writes the folder targets with their links for the include check and adds the check as a test.
function(nr_add_include_check)
  get_property(targets GLOBAL PROPERTY NR_FOLDER_TARGETS)
  set(lines "")
  foreach(t ${targets})
    get_property(dir GLOBAL PROPERTY NR_FOLDER_OF_${t})
    get_target_property(type ${t} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      set(links "$<JOIN:$<TARGET_PROPERTY:${t},LINK_LIBRARIES>,$<COMMA>>")
    endif()
    string(APPEND lines "${t}|${dir}|${links}|$<JOIN:$<TARGET_PROPERTY:${t},INTERFACE_LINK_LIBRARIES>,$<COMMA>>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/folder-targets.txt CONTENT "${lines}")
  add_test(NAME nr_includes COMMAND ${CMAKE_COMMAND} -DMAP=${CMAKE_BINARY_DIR}/folder-targets.txt
           -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake)
endfunction()

# The environment every test runs in: offscreen, a pinned locale and time zone, and the sanitizer
# runtimes' options (their suppressions name the few allocations and races of Qt itself).
function(nr_test_environment test)
  set(env "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=UTC;QT_LOGGING_RULES=*.debug=false")
  # Qt is built without frame pointers: the slow unwinder gives leak stacks deep enough for the
  # suppressions to match the Qt function that made an allocation. It runs on every allocation,
  # so the stacks are kept just deep enough for that.
  list(APPEND env "ASAN_OPTIONS=fast_unwind_on_malloc=0:malloc_context_size=16"
                  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/lsan.supp:print_suppressions=0"
                  "TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/sanitizers/tsan.supp:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
                  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  # Sanitizer checks make the longest test functions slower than QtTest's bound of 5 minutes allows.
  if(nr_sanitizers)
    list(APPEND env "QTEST_FUNCTION_TIMEOUT=1200000")
  endif()
  set_tests_properties(${test} PROPERTIES ENVIRONMENT "${env}")
endfunction()

# nr_add_test([NAME] name SOURCES a.cpp ... LIBS lib ... [INCLUDES dir ...] [DEPENDS target ...]
#             [LABELS l ...] [TIMEOUT s])
# A QtTest executable in bin/, run by CTest offscreen with a pinned locale and time zone.
function(nr_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;INCLUDES;DEPENDS" ${ARGN})
  if(NOT T_NAME)
    list(GET T_UNPARSED_ARGUMENTS 0 T_NAME) # nr_add_test(name SOURCES ...) works too
  endif()
  # A test whose sources are not all there yet (work in progress in a shared tree) is left out
  # with a warning instead of breaking the whole configuration.
  foreach(src ${T_SOURCES})
    if(NOT IS_ABSOLUTE ${src})
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endif()
    if(NOT EXISTS ${src})
      message(WARNING "Test ${T_NAME} left out: ${src} does not exist")
      return()
    endif()
  endforeach()
  add_executable(${T_NAME} ${T_SOURCES})
  nr_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE Qt5::Test Qt5::Widgets ${T_LIBS})
  add_dependencies(${T_NAME} resources ${T_DEPENDS})
  if(T_INCLUDES)
    target_include_directories(${T_NAME} PRIVATE ${T_INCLUDES})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  nr_test_environment(${T_NAME})
  if(T_TIMEOUT)
    # Sanitizer checks make a test several times slower; its bound grows with them.
    if(nr_sanitizers)
      math(EXPR T_TIMEOUT "${T_TIMEOUT} * 4")
    endif()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
