# SPDX-License-Identifier: GPL-3.0-or-later
# The launcher and the AppStream data as desktops and software centres read
# them, and an install into a fresh prefix.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME app.launcher
    COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/resources/org.varolin.Varolin.desktop
      ${PROJECT_SOURCE_DIR}/resources/org.varolin.Varolin.Class.desktop)
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  add_test(NAME app.metainfo
    COMMAND ${APPSTREAMCLI} validate --no-net
      ${PROJECT_SOURCE_DIR}/resources/org.varolin.Varolin.metainfo.xml)
endif()
add_test(NAME app.install
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${PROJECT_BINARY_DIR}
    $<TARGET_FILE:test_app_records_module>)
set_tests_properties(app.install PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)

# The about test reads the read-me from the source tree.
target_compile_definitions(test_app_about PRIVATE
  VAROLIN_README="${PROJECT_SOURCE_DIR}/readme.txt")

# The board on a real X server, in a desktop session of its own with the
# accessibility bus: the middle button's paste of the selection exists only
# there, and the cells are read as a screen reader reads them (AT-SPI).
find_program(XVFB_RUN xvfb-run)
find_program(DBUS_RUN_SESSION dbus-run-session)
if(XVFB_RUN AND DBUS_RUN_SESSION)
  add_test(NAME app.board_x11
    COMMAND ${DBUS_RUN_SESSION} -- ${XVFB_RUN} -a -s "-screen 0 1280x1024x24"
      $<TARGET_FILE:test_app_board>)
  set(board_x11_environment
    QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1)
  # The X libraries keep allocations to the end, which the leak check would
  # take for ours; every other check of the sanitizers stays.
  if(VAROLIN_SANITIZE)
    list(APPEND board_x11_environment ASAN_OPTIONS=detect_leaks=0:abort_on_error=1)
  endif()
  set_tests_properties(app.board_x11 PROPERTIES
    ENVIRONMENT "${board_x11_environment}" TIMEOUT 120)
endif()

# The tests that show the records window link its objects; the rest of the
# program they take from the shared library, as the module does.
foreach(test records_window board)
  target_link_libraries(test_app_${test} PRIVATE varolin_records_window)
endforeach()
find_package(Qt6 REQUIRED COMPONENTS DBus)
target_link_libraries(test_app_board PRIVATE Qt6::DBus)

# The loader the program uses, given the installed module (install_test.sh
# runs this after the install) and modules of another build id or version.
add_executable(test_app_records_module ${CMAKE_CURRENT_LIST_DIR}/records_module_test.cpp)
target_link_libraries(test_app_records_module PRIVATE varolin_test_support)
add_dependencies(test_app_records_module varolin varolin-records)
target_compile_definitions(test_app_records_module PRIVATE
  VAROLIN_RECORDS_MODULE="$<TARGET_FILE_NAME:varolin-records>")
foreach(other build version)
  add_library(foreign_module_${other} MODULE ${CMAKE_CURRENT_LIST_DIR}/foreign_module.cpp)
  target_include_directories(foreign_module_${other} PRIVATE
    ${VAROLIN_GENERATED_DIR}/other-${other} ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(foreign_module_${other} PRIVATE Qt6::Core)
  add_dependencies(foreign_module_${other} varolin_build_id)
  string(TOUPPER ${other} upper)
  target_compile_definitions(test_app_records_module PRIVATE
    FOREIGN_${upper}_MODULE="$<TARGET_FILE:foreign_module_${other}>")
endforeach()
