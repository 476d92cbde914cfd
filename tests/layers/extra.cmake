# SPDX-License-Identifier: GPL-3.0-or-later
# A layer compiles with its own Qt modules and the layers it uses only: a
# widget header, a Gui header below printing or a header of a layer above
# fails to build there for want of the header, while the widget header builds
# in app. Each row is a file compiled with one layer's usage requirements.
foreach(row "drill|<QWidget>" "scores|<QWidget>" "settings|<QWidget>" "records|<QWidget>"
    "printing|<QWidget>" "practice|<QWidget>" "records|<QFont>" "drill|\"app/desktop.h\""
    "scores|\"records/record_store.h\"" "records|\"class/class_config.h\""
    "practice|<QSqlDatabase>" "app|<QSqlDatabase>" "practice|<libpq-fe.h>" "app|<QWidget>")
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 layer)
  list(GET row 1 header)
  string(REGEX REPLACE "[<>\"]" "" header_name "${header}")
  string(MAKE_C_IDENTIFIER "${layer}_${header_name}" name)
  set(file ${CMAKE_CURRENT_BINARY_DIR}/layer_probes/${name}.cpp)
  file(CONFIGURE OUTPUT ${file} CONTENT "#include ${header}\n")
  add_library(layer_probe_${name} OBJECT EXCLUDE_FROM_ALL ${file})
  set_target_properties(layer_probe_${name} PROPERTIES AUTOMOC OFF)
  target_link_libraries(layer_probe_${name} PRIVATE varolin_${layer})
  set(test layers.${layer}.${header_name})
  add_test(NAME ${test}
    COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target layer_probe_${name})
  # It builds in this build's tree: nothing else may build there meanwhile.
  set_tests_properties(${test} PROPERTIES RUN_SERIAL ON)
  if(NOT row STREQUAL "app;<QWidget>")
    set_tests_properties(${test} PROPERTIES
      PASS_REGULAR_EXPRESSION "${header_name}: No such file or directory")
  endif()
endforeach()
