# GoogleTest built from Debian's source tree with the build's own compiler and flags: Debian's
# prebuilt libraries would not link into Windows executables, nor carry the native build's
# sanitizers.
set(KX_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${KX_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${KX_GTEST_SOURCE_DIR}: install the Debian package 'googletest'")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${KX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# Wine's first start in a fresh prefix can take most of a minute, and discovery runs the executable.
function(kx_add_gtest target)
  # With the helpers every test area shares (tests/common).
  target_link_libraries(${target} PRIVATE GTest::gtest_main GTest::gmock kx_test_common)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 300 ${KX_WINE_TEST_PROPERTIES})
endfunction()
