# ambrelo_add_ui_test(NAME SOURCES... [LIBS ...] [LABELS ...])
# A GoogleTest executable for the windows library: it runs on the offscreen
# platform with a private, empty settings store (gui_test_main.cpp), and does
# not link the engine. Each of its tests becomes a CTest test.
set(AMBRELO_UI_TEST_MAIN ${CMAKE_CURRENT_LIST_DIR}/gui_test_main.cpp)
function(ambrelo_add_ui_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${AMBRELO_UI_TEST_MAIN}
    ${CMAKE_SOURCE_DIR}/tests/controls/ui_test_util.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test GTest::gtest)
  set(labels ${T_LABELS})
  if(NOT labels)
    set(labels unit)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
