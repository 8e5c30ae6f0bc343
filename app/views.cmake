# The main window's view side: the in-window menu's controller, the platform
# menu bar's controller and the engine preparation that brings in the
# application's view module and the score image provider.
add_library(app_views STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AppQmlEngineSetup.h
  ${CMAKE_CURRENT_LIST_DIR}/AppQmlEngineSetup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResponsiveMenuController.h
  ${CMAKE_CURRENT_LIST_DIR}/ResponsiveMenuController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VandMenuBarController.h
  ${CMAKE_CURRENT_LIST_DIR}/VandMenuBarController.cpp)
vand_publish_headers(app_views)
target_link_libraries(app_views
  PUBLIC ui Qt6::Core Qt6::Qml Qt6::Quick
  PRIVATE show_score musical_ui_qmlplugin vand_ui_qmlplugin vand_images)
