# Helpers shared by every subsystem folder so that libraries and tests are declared alike.

# qz_library(NAME QT|PLAIN SOURCES ... [LIBS ...])
# QT libraries get moc; PLAIN ones link nothing of Qt (the FTP client).
function(qz_library name kind)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(kind STREQUAL "QT")
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

# qz_test(NAME [GUI] [ENGINE] SOURCES ... LIBS ...)
# Logic tests use GoogleTest's own main; GUI tests use one that sets up the offscreen platform
# (and the browser engine's needs) and starts a QApplication first.
function(qz_test name)
  cmake_parse_arguments(ARG "GUI;ENGINE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  if(ARG_GUI)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} qz_test_gui_main GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  endif()
  # ENGINE: the tests start the real browser engine; labelled so that a run can treat them apart.
  set(labels unit)
  if(ARG_ENGINE)
    set(labels engine)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 LABELS ${labels})
endfunction()
