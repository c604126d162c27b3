# The Windows tests of one ctest run share a display and a Wine server, started
# before the first of them and stopped after the last (scripts/wine-session.sh).
# Every test run under Wine requires this fixture; corv_discover_tests adds it.
add_test(NAME wine_session_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh start ${CORV_WINE_PREFIX})
add_test(NAME wine_session_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh stop ${CORV_WINE_PREFIX})
# The first start of a new prefix takes a while.
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP ${CORV_WINE_FIXTURE} TIMEOUT 600)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP ${CORV_WINE_FIXTURE})
