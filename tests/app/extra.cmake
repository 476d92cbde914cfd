# SPDX-License-Identifier: GPL-3.0-or-later
# The launcher and the AppStream data as desktops and software centres read
# them, and an install into a fresh prefix.
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  add_test(NAME app.launcher
    COMMAND ${DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/resources/org.varolin.Varolin.desktop)
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  add_test(NAME app.metainfo
    COMMAND ${APPSTREAMCLI} validate --no-net
      ${PROJECT_SOURCE_DIR}/resources/org.varolin.Varolin.metainfo.xml)
endif()
add_test(NAME app.install
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(app.install PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)

# The about test reads the read-me from the source tree.
target_compile_definitions(test_app_about PRIVATE
  VAROLIN_README="${PROJECT_SOURCE_DIR}/readme.txt")
