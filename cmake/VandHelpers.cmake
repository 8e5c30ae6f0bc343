# vand_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [ENV ...])
# A Qt Test executable registered with CTest, run headless.
function(vand_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test vand_test_support ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic;${T_ENV}")
endfunction()

# vand_add_qml_test(NAME name DIR dir [LIBS ...] [SOURCES ...])
# A Qt Quick Test run over the tst_*.qml files of DIR. The runner prepares its
# engine with the project's QML modules (static plug-ins) and import path.
function(vand_add_qml_test)
  cmake_parse_arguments(T "" "NAME;DIR;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${PROJECT_SOURCE_DIR}/tests/support/qmltestmain.cpp ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::QuickTest Qt6::Quick vand_test_support ${T_LIBS})
  target_compile_definitions(${T_NAME} PRIVATE VAND_QML_TEST_NAME="${T_NAME}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} -input ${T_DIR})
  if(NOT T_LABELS)
    set(T_LABELS qml)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 180)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS "${T_LABELS}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic")
endfunction()
