# krview is tested as the person running it sees it: the program is started as a process, and its
# exit code, output, configuration and window captures are checked. The captures are PNG files of
# krview's own writer, which the tests read back. The long runs (soak, loss drill) are runs of
# their own, so that each has its own time limit and shows on its own in the results.
kr_test_program(krview FILTER -KrviewLongRuns.* TIMEOUT 600)
kr_test_program(krview NAME krview_soak FILTER KrviewLongRuns.Soak* TIMEOUT 1500)
kr_test_program(krview NAME krview_losses FILTER KrviewLongRuns.Hundred* TIMEOUT 1200)
target_sources(test_krview PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview/png_writer.cpp)
target_include_directories(test_krview PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview)
add_dependencies(test_krview krview)
