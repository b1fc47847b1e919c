# The default settings file the plug-in writes on a first start, as LF text: the hand-written copy
# in tests/config/data with the project's version put into its value field (padded to 50 like
# every value; a longer one is written whole). The settings tests compare against it and the
# package carries it for reference.
function(kx_default_settings_text out)
  set(template ${PROJECT_SOURCE_DIR}/tests/config/data/default_settings.ini)
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
