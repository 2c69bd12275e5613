# krview is tested as the person running it sees it: the program is started as a process, and its
# exit code, output, configuration and window captures are checked. The captures are PNG files of
# krview's own writer, which the tests read back.
kr_test_program(krview TIMEOUT 600)
target_sources(test_krview PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview/png_writer.cpp)
target_include_directories(test_krview PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview)
add_dependencies(test_krview krview)
