# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up probe and its baseline; run with bench/startup.sh.
find_package(X11)
add_executable(bare_window ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
target_link_libraries(bare_window PRIVATE Qt6::Widgets)
if(X11_FOUND)
  add_executable(startup_probe ${CMAKE_CURRENT_LIST_DIR}/startup_probe.cpp)
  target_link_libraries(startup_probe PRIVATE X11::X11)
endif()
