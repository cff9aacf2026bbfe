add_test(NAME pages_valid COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e_pages/check_pages.sh ${PROJECT_SOURCE_DIR})
