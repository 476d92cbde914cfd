# SPDX-License-Identifier: GPL-3.0-or-later
# Each layer compiles with only its own Qt modules and the layers below it:
# a widget header, a Gui header below printing or a header of a layer above
# fails to build there, while the same widget header builds in app. Every
# row is one file compiled with a layer's usage requirements, built on
# demand by the test.
set(rows
  "drill|<QWidget>|fails"
  "scores|<QWidget>|fails"
  "settings|<QWidget>|fails"
  "records|<QWidget>|fails"
  "printing|<QWidget>|fails"
  "practice|<QWidget>|fails"
  "records|<QFont>|fails"
  "drill|\"app/desktop.h\"|fails"
  "scores|\"records/record_store.h\"|fails"
  "app|<QWidget>|builds")
set(checks)
set(index 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 layer)
  list(GET fields 1 header)
  list(GET fields 2 expected)
  set(probe layer_probe_${index})
  set(file ${CMAKE_CURRENT_BINARY_DIR}/layer_probes/${probe}.cpp)
  file(CONFIGURE OUTPUT ${file} CONTENT "#include ${header}\n")
  add_library(${probe} OBJECT EXCLUDE_FROM_ALL ${file})
  set_target_properties(${probe} PROPERTIES AUTOMOC OFF)
  target_link_libraries(${probe} PRIVATE varolin_${layer})
  string(REGEX REPLACE "[<>\"]" "" bare "${header}")
  list(APPEND checks "${probe}|${layer}|${bare}|${expected}")
  math(EXPR index "${index} + 1")
endforeach()
string(REPLACE ";" "," checks "${checks}")
add_test(NAME layers.includes
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR} "-DCHECKS=${checks}"
    -P ${CMAKE_CURRENT_LIST_DIR}/check_includes.cmake)
# It builds in this build's tree: nothing else may build there meanwhile.
set_tests_properties(layers.includes PROPERTIES RUN_SERIAL ON TIMEOUT 300)
