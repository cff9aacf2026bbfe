add_test(NAME pages_valid COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e_pages/check_pages.sh ${PROJECT_SOURCE_DIR})
if(TARGET vindrel-analyse)
  add_test(NAME report_pages_valid COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e_pages/check_report_pages.sh
                                           $<TARGET_FILE:vindrel-analyse>)
endif()
