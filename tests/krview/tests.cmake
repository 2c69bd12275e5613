# krview is tested as the person running it sees it: the program is started as a process and its
# exit code, output and configuration are checked; its window captures are compared with
# ImageMagick by captures.sh. The soak and the hundred-loss drill run from ./kr soak.
kr_test_program(krview FILTER -KrviewCaptures.* TIMEOUT 300)
kr_test_program(krview NAME krview_captures FILTER KrviewCaptures.* TIMEOUT 300)
add_dependencies(test_krview krview krview_planted_plugin krview_planted_d3dx krview_planted_only)
target_sources(test_krview PRIVATE ${CMAKE_CURRENT_LIST_DIR}/utf8.rc)
add_test(NAME krview_compare
         COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/captures.sh ${CMAKE_CURRENT_BINARY_DIR}/krview_captures
                 ${CMAKE_CURRENT_LIST_DIR}/reference)
set_tests_properties(krview_captures PROPERTIES FIXTURES_SETUP krview_captures)
set_tests_properties(krview_compare PROPERTIES FIXTURES_REQUIRED krview_captures TIMEOUT 60)

# DLLs named like the plug-in and like D3DX that announce themselves when loaded, in a folder the
# plug-in test makes krview's media root; the planted plug-in loads the third by bare name, a name
# that is nowhere else.
foreach(planted plugin:D3DDev d3dx:d3dx9_43 only:krplanted)
  string(REPLACE ":" ";" parts ${planted})
  list(GET parts 0 kind)
  list(GET parts 1 name)
  add_library(krview_planted_${kind} MODULE ${CMAKE_CURRENT_LIST_DIR}/planted.c)
  target_compile_definitions(krview_planted_${kind} PRIVATE PLANTED_NAME="${name}.dll")
  set_target_properties(krview_planted_${kind} PROPERTIES OUTPUT_NAME ${name} PREFIX ""
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/krview_planted)
endforeach()
