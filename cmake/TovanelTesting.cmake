# Test plumbing: GoogleTest natively and for the cross builds, Wine as the
# emulator with a private prefix inside the build tree.

if(WIN32)
  set(TOVANEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-env.sh.in ${CMAKE_BINARY_DIR}/wine-env.sh @ONLY)
  foreach(script wine-run.sh wine-desktop-run.sh wine-setup.sh wine-teardown.sh)
    file(COPY ${CMAKE_SOURCE_DIR}/cmake/${script} DESTINATION ${CMAKE_BINARY_DIR}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endforeach()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

  # A 32-bit program needs Debian's wine32 (i386 multiarch), which is not
  # always installable; build everything, run the tests only where it is.
  set(TOVANEL_CAN_RUN_TESTS ON)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT EXISTS /usr/lib/wine/wine)
    set(TOVANEL_CAN_RUN_TESTS OFF)
    message(STATUS "32-bit Wine (wine32) is not installed: the win32 tests are built but not registered")
  endif()

  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  if(TOVANEL_CAN_RUN_TESTS)
    add_test(NAME wine_setup COMMAND ${CMAKE_BINARY_DIR}/wine-setup.sh)
    set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine)
    add_test(NAME wine_teardown COMMAND ${CMAKE_BINARY_DIR}/wine-teardown.sh)
    set_tests_properties(wine_teardown PROPERTIES FIXTURES_CLEANUP wine)
  endif()
else()
  find_package(GTest REQUIRED)
endif()

# tovanel_test(<name> SOURCES <files...> LIBS <libs...> [DESKTOP] [OWN_DESKTOP])
# DESKTOP marks a Windows test that uses the clipboard, the foreground or the
# settings file under AppData: such tests never run at the same time.
# OWN_DESKTOP runs it under Wine in a virtual desktop of its own, where
# hiding a window waits for no window manager, and alone.
function(tovanel_test name)
  cmake_parse_arguments(T "DESKTOP;OWN_DESKTOP" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main)
    if(TOVANEL_CAN_RUN_TESTS AND T_OWN_DESKTOP AND CMAKE_CROSSCOMPILING)
      add_test(NAME ${name} COMMAND ${CMAKE_BINARY_DIR}/wine-desktop-run.sh $<TARGET_FILE:${name}>)
      # It starts Wine's server afresh at its end: nothing else may run then.
      set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
    elseif(TOVANEL_CAN_RUN_TESTS)
      add_test(NAME ${name} COMMAND ${name})
    endif()
    if(TOVANEL_CAN_RUN_TESTS)
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 240)
      if(T_DESKTOP)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
      endif()
    endif()
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 240)
  endif()
endfunction()
