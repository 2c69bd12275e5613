# The animation values of the experimental paths count every call since the module loaded: the
# program's first test writes each path's first step for the contact sheet.
kr_test_program(paths NAME paths_pixels TIMEOUT 120)
# The path frames, scaled, labelled and assembled, against the committed contact sheet.
add_test(NAME paths_sheet
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/contact_sheet.sh ${CMAKE_CURRENT_BINARY_DIR}/path_tiles
                 ${CMAKE_CURRENT_LIST_DIR}/reference/contact_sheet.png
                 ${CMAKE_CURRENT_BINARY_DIR}/paths_contact_sheet.png)
set_tests_properties(paths_pixels PROPERTIES FIXTURES_SETUP path_tiles)
set_tests_properties(paths_sheet PROPERTIES FIXTURES_REQUIRED path_tiles TIMEOUT 60)
