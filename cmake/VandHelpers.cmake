# The environment of every test: headless, the Basic style, and only the
# private sound server of scripts/start-audio (never a desktop's own; without
# it an engine plays silently, and the audio tests fail).
set(VAND_TEST_ENVIRONMENT
  "QT_QPA_PLATFORM=offscreen;QT_QUICK_CONTROLS_STYLE=Basic;PULSE_SERVER=unix:${PROJECT_BINARY_DIR}/audio/runtime/pulse/native")

# vand_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [ENV ...] [TIMEOUT s])
# A Qt Test executable registered with CTest, run headless. Labels default to
# "unit". A test labelled "threads" also runs under ThreadSanitizer
# (scripts/test --deep); one labelled "look" only makes pictures to look at and
# is skipped by scripts/test unless asked for (scripts/test -L look).
function(vand_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test vand_test_support ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  _vand_test_properties(${T_NAME} unit 120 "${T_LABELS}" "${T_TIMEOUT}" "${T_ENV}")
endfunction()

# vand_add_qml_test(NAME name DIR dir [SOURCES ...] [LIBS ...] [LABELS ...] [ENV ...] [TIMEOUT s])
# A Qt Quick Test run over the tst_*.qml files of DIR. The runner prepares its
# engine with the project's QML modules (static plug-ins) and import path.
# Labels default to "qml".
function(vand_add_qml_test)
  cmake_parse_arguments(T "" "NAME;DIR;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${PROJECT_SOURCE_DIR}/tests/support/qmltestmain.cpp ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::QuickTest Qt6::Quick vand_test_support ${T_LIBS})
  target_compile_definitions(${T_NAME} PRIVATE VAND_QML_TEST_NAME="${T_NAME}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} -input ${T_DIR})
  _vand_test_properties(${T_NAME} qml 180 "${T_LABELS}" "${T_TIMEOUT}" "${T_ENV}")
endfunction()

# The CTest properties every test shares: labels, time limit (longer in
# sanitizer builds) and a headless environment with the Basic controls style.
function(_vand_test_properties name default_labels default_timeout labels timeout env)
  if(NOT labels)
    set(labels ${default_labels})
  endif()
  if(NOT timeout)
    set(timeout ${default_timeout})
  endif()
  if(VAND_SANITIZE)
    # Sanitizer builds run several times slower.
    math(EXPR timeout "${timeout} * 5")
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${labels}"
    TIMEOUT ${timeout}
    ENVIRONMENT "${VAND_TEST_ENVIRONMENT};${env}")
endfunction()

# vand_add_qml_module(TARGET target URI uri)
# A QML module of the project: every .qml/.js under qml/ and every file under
# resources/ of the calling folder, compiled ahead of time into a static
# library with a static plug-in (target "<target>plugin"), under
# "qrc:/qt/qml/<uri as path>/".
function(vand_add_qml_module)
  cmake_parse_arguments(M "" "TARGET;URI" "" ${ARGN})
  file(GLOB_RECURSE qml_files RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/qml/*.qml ${CMAKE_CURRENT_SOURCE_DIR}/qml/*.js)
  file(GLOB_RECURSE resources RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/*)
  # A file that starts with "pragma Singleton" is listed as a singleton.
  foreach(file IN LISTS qml_files)
    file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/${file} singleton LIMIT_COUNT 1 REGEX "^pragma Singleton")
    if(singleton)
      set_source_files_properties(${file} PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
    endif()
  endforeach()
  qt_add_library(${M_TARGET} STATIC)
  qt_add_qml_module(${M_TARGET}
    URI ${M_URI}
    VERSION 1.0
    RESOURCE_PREFIX /qt/qml
    IMPORT_PATH ${PROJECT_BINARY_DIR}/qt/qml
    QML_FILES ${qml_files}
    RESOURCES ${resources}
  )
  target_link_libraries(${M_TARGET} PRIVATE Qt6::Quick Qt6::QuickControls2)
endfunction()

# vand_add_subdirectories()
# Adds every direct subfolder of the calling folder that has a CMakeLists.txt,
# in name order.
function(vand_add_subdirectories)
  file(GLOB dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
    CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT dirs)
  foreach(dir IN LISTS dirs)
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${dir}"
       AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# vand_publish_headers(target [FOLDER folder AS prefix])
# Publishes the calling folder's headers to the target and its users as
# "<folder path>/<header>" (e.g. "ui/QmlController.h"), and nothing else of
# the source tree: a library reaches another one's headers only by linking it.
# With FOLDER, publishes that subfolder of the calling folder alone, as
# "<prefix>/<header>" (e.g. the engine's internals as "engine/ShowFile.h").
function(vand_publish_headers target)
  cmake_parse_arguments(P "" "FOLDER;AS" "" ${ARGN})
  if(P_FOLDER AND NOT P_AS)
    message(FATAL_ERROR "vand_publish_headers(${target} FOLDER ${P_FOLDER}) needs AS <prefix>")
  endif()
  if(P_FOLDER)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${P_FOLDER})
    set(rel ${P_AS})
  else()
    set(source ${CMAKE_CURRENT_SOURCE_DIR})
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  set(stage ${PROJECT_BINARY_DIR}/include/${target})
  get_filename_component(parent ${stage}/${rel} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT EXISTS ${stage}/${rel})
    file(CREATE_LINK ${source} ${stage}/${rel} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${stage})
  else()
    target_include_directories(${target} PUBLIC ${stage})
  endif()
endfunction()
