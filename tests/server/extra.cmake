# SPDX-License-Identifier: GPL-3.0-or-later
# The class server's script on a throwaway PostgreSQL cluster: the roles'
# privileges, a sheet sent twice, the script run twice or over a newer layout.
# A server that cannot start fails the test.
add_test(NAME server.privileges
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/privileges_test.sh
    ${PROJECT_SOURCE_DIR}/share/varolin/class-server.sql)
set_tests_properties(server.privileges PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8" TIMEOUT 120)
