# quillet_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>])
#
# Builds one GoogleTest executable against the Quillet libraries and registers it
# with ctest. Every test runs headless, in a fixed locale, and with QUILLET_HOME
# pointing at a scratch folder of its own so that no test can touch a real profile.
function(quillet_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE quillet_test_support ${ARG_LIBS})
  set(home "${CMAKE_BINARY_DIR}/test-home/${name}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANG=C.UTF-8;TZ=Asia/Tokyo;QUILLET_HOME=${home}/"
    TIMEOUT 300)
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
