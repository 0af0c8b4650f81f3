# Pomarel.scr, the screensaver host: the start module, the preview and session windows and
# the program with its resources. The rules of the start routine and the session are
# platform-free (host_logic, built by every preset); the native build also makes the tool
# that draws the preview still (res/make_preview).

add_library(host_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/start_rules.cpp ${CMAKE_CURRENT_LIST_DIR}/start_rules.h
  ${CMAKE_CURRENT_LIST_DIR}/session_rules.cpp ${CMAKE_CURRENT_LIST_DIR}/session_rules.h)
target_include_directories(host_logic PUBLIC ${CMAKE_SOURCE_DIR})
pomarel_warnings(host_logic)

if(NOT WIN32)
  add_executable(preview_still ${CMAKE_CURRENT_LIST_DIR}/res/preview_still.cpp)
  target_link_libraries(preview_still PRIVATE confetti)
  pomarel_warnings(preview_still)
else()
  # The picture loader of the UI layer reaches the system's codecs through OLE.
  target_link_libraries(host_ui PUBLIC ole32 oleaut32 uuid)

  # The settings dialog joins when its library exists; until then /c loads the settings and ends.
  set(host_dialog_target host_settings_dialog)

  add_library(host_program STATIC
    ${CMAKE_CURRENT_LIST_DIR}/start.cpp ${CMAKE_CURRENT_LIST_DIR}/start.h
    ${CMAKE_CURRENT_LIST_DIR}/preview.cpp ${CMAKE_CURRENT_LIST_DIR}/preview.h
    ${CMAKE_CURRENT_LIST_DIR}/session.cpp ${CMAKE_CURRENT_LIST_DIR}/session.h)
  target_link_libraries(host_program PUBLIC host_logic host_ui host_settings host_music
    $<$<TARGET_EXISTS:${host_dialog_target}>:${host_dialog_target}>)
  target_compile_definitions(host_program PRIVATE
    $<$<TARGET_EXISTS:${host_dialog_target}>:POMAREL_SETTINGS_DIALOG>)
  pomarel_warnings(host_program)

  configure_file(${CMAKE_CURRENT_LIST_DIR}/res/pomarel_version.h.in
    ${CMAKE_CURRENT_BINARY_DIR}/res/pomarel_version.h @ONLY)
  add_executable(Pomarel WIN32 ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/res/pomarel.rc)
  target_include_directories(Pomarel PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/res ${CMAKE_SOURCE_DIR}/host/settings_dialog/res ${CMAKE_CURRENT_BINARY_DIR}/res)
  target_link_libraries(Pomarel PRIVATE host_program)
  set_target_properties(Pomarel PROPERTIES OUTPUT_NAME Pomarel SUFFIX .scr)
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/res/pomarel.rc APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/res/preview.jpg ${CMAKE_SOURCE_DIR}/host/settings_dialog/res/scissors.ico)
  pomarel_warnings(Pomarel)
endif()
