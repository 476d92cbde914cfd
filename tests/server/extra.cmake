# SPDX-License-Identifier: GPL-3.0-or-later
# The class server's script on a throwaway PostgreSQL cluster: the roles'
# privileges, a sheet sent twice, the daily ceiling under concurrent sessions,
# advisory locks closed to pupils, the script run twice, over the older
# layouts or over a newer one.
# A server that cannot start fails the test.
add_test(NAME server.privileges
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/privileges_test.sh
    ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql)
set_tests_properties(server.privileges PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 120)

# The class view and its reads of the server, on a throwaway cluster of
# their own.
add_executable(test_server_class_view ${CMAKE_CURRENT_LIST_DIR}/class_view_test.cpp)
target_link_libraries(test_server_class_view PRIVATE varolin_test_support varolin_records_window)
# varolin --class opens the view through the module beside the program.
add_dependencies(test_server_class_view varolin-records)
add_test(NAME server.class_view
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/class_view_test.sh
    ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql $<TARGET_FILE:test_server_class_view>)
set_tests_properties(server.class_view PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 180)

# Classroom machines sending to that server: away and back, two at once,
# a password file or server layout that cannot be used, a practice's roster.
add_executable(test_server_class_sending ${CMAKE_CURRENT_LIST_DIR}/class_sending_test.cpp)
target_link_libraries(test_server_class_sending PRIVATE varolin_test_support)
add_test(NAME server.class_sending
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/class_sending_test.sh
    $<TARGET_FILE:test_server_class_sending> ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql)
set_tests_properties(server.class_sending PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 180)

# A machine's login: TLS and channel binding against servers answering in the
# real one's place, a refused login told from a server away, the password
# file's modes, the session pinned, the reads whole over impossible sheets.
add_executable(test_server_class_login ${CMAKE_CURRENT_LIST_DIR}/class_login_test.cpp)
target_link_libraries(test_server_class_login PRIVATE varolin_test_support)
add_test(NAME server.class_login
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/class_login_test.sh
    ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql $<TARGET_FILE:test_server_class_login>)
set_tests_properties(server.class_login PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 180)

# varolin-class-admin on a throwaway cluster with TLS, SCRAM and certificate
# logins over TCP: its commands and refusals, secrets kept from planted links
# and pipes and from the server's logs, and a classroom machine with the
# class.ini it wrote.
add_executable(test_server_class_admin_machine ${CMAKE_CURRENT_LIST_DIR}/class_admin_machine.cpp)
target_link_libraries(test_server_class_admin_machine PRIVATE varolin_test_support)
add_test(NAME server.class_admin
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/class_admin_test.sh
    ${PROJECT_SOURCE_DIR}/share/varolin/varolin-class-admin
    ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql
    $<TARGET_FILE:test_server_class_admin_machine>)
set_tests_properties(server.class_admin PROPERTIES
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 180)

# The facts a class knows by heart, read from the server and judged as a
# machine's store judges the same sheets, on a server set up as the class
# view's.
add_executable(test_server_class_facts ${CMAKE_CURRENT_LIST_DIR}/class_facts_test.cpp)
target_link_libraries(test_server_class_facts PRIVATE varolin_test_support)
add_test(NAME server.class_facts
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/class_view_test.sh
    ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql $<TARGET_FILE:test_server_class_facts>)
set_tests_properties(server.class_facts PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 180)
