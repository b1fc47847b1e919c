# The default settings file the plug-in writes on a first start, as LF text: the hand-written copy
# beside this file with the project's version put into its value field (padded to 50 like every
# value; a longer one is written whole). The package carries it for reference and the settings
# tests compare against it.
function(kx_default_settings_text out)
  set(template ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/Creo_plugin.ini.default.in)
  file(READ ${template} text)
  string(LENGTH "${PROJECT_VERSION}" length)
  set(spaces "")
  if(length LESS 50)
    math(EXPR pad "50 - ${length}")
    string(REPEAT " " ${pad} spaces)
  endif()
  set(KX_VERSION_FIELD "${PROJECT_VERSION}${spaces}")
  string(CONFIGURE "${text}" text @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template})
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
