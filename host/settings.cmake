# The settings file. settings_core is platform-free (the variables, the number rule, the path
# helpers and the loader) and builds everywhere; host_settings adds the profile calls.
add_library(settings_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/settings_core.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_core.h
  ${CMAKE_CURRENT_LIST_DIR}/settings.h)
target_include_directories(settings_core PUBLIC ${CMAKE_SOURCE_DIR})
pomarel_warnings(settings_core)

if(WIN32)
  add_library(host_settings STATIC
    ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_profile.h)
  target_link_libraries(host_settings PUBLIC settings_core host_ui kernel32)
  pomarel_warnings(host_settings)
endif()
