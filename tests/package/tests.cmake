# The zip a Windows user gets, unpacked and run; it opens a window, so it takes the display.
add_test(NAME package COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/package.sh ${CMAKE_BINARY_DIR}
                              ${KR_WINERUN})
set_tests_properties(package PROPERTIES TIMEOUT 180 RESOURCE_LOCK display)
