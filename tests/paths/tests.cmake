# The animation values of the experimental paths count every call since the module loaded, so the
# constants test and the tiles of the contact sheet each run in a process of their own.
kr_test_program(paths NAME paths_constants FILTER PathConstants.*)
kr_test_program(paths NAME paths_pixels FILTER PathPixels.*)
kr_test_program(paths NAME paths_tiles FILTER PathTiles.*)
target_sources(test_paths PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview/png_writer.cpp)
target_include_directories(test_paths PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview)
# The tiles, labelled and assembled, against the committed contact sheet.
add_test(NAME paths_sheet
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/contact_sheet.sh ${CMAKE_CURRENT_BINARY_DIR}/path_tiles
                 ${CMAKE_CURRENT_LIST_DIR}/reference/contact_sheet.png
                 ${CMAKE_CURRENT_BINARY_DIR}/paths_contact_sheet.png)
set_tests_properties(paths_tiles PROPERTIES FIXTURES_SETUP path_tiles)
set_tests_properties(paths_sheet PROPERTIES FIXTURES_REQUIRED path_tiles TIMEOUT 60)
