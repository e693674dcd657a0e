# Small helpers so every folder declares its library and tests the same way.

set(KLIPO_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)

# klipo_library(<target> SOURCES ... [DEPS ...])
function(klipo_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${target} PRIVATE ${KLIPO_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_DEPS})
endfunction()

# klipo_test(<name> SOURCES ... [DEPS ...] [DESKTOP] [LAUNCHER command ...])
# DESKTOP tests need the headless X11 desktop (tray, hot keys, grabs, sound):
# run anywhere else they report themselves skipped. The others run on Qt's
# offscreen platform. A LAUNCHER starts the test binary (one that brings up a
# desktop of its own shares none).
function(klipo_test name)
  cmake_parse_arguments(ARG "DESKTOP" "" "SOURCES;DEPS;LAUNCHER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${KLIPO_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_DESKTOP)
    set(main klipo_desktop_testmain)
  else()
    set(main klipo_testmain)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${main} klipo_testsupport GTest::gtest Qt6::Test)
  add_test(NAME ${name} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:${name}>)
  if(ARG_DESKTOP)
    set_tests_properties(${name} PROPERTIES LABELS desktop TIMEOUT 300 SKIP_RETURN_CODE 77)
    if(NOT ARG_LAUNCHER)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11desktop)
    endif()
  else()
    set_tests_properties(${name} PROPERTIES LABELS offscreen TIMEOUT 300
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
