# Damaged and hostile files and configurations: one device at a time on the virtual desktop. The
# full disk is a link to /dev/full where the configuration cache writes its new file.
kr_test_program(badinput TIMEOUT 300)
add_test(NAME badinput_full_disk COMMAND ln -sfn /dev/full ${CMAKE_BINARY_DIR}/bin/full_disk.ini.tmp)
set_tests_properties(badinput_full_disk PROPERTIES FIXTURES_SETUP full_disk)
set_tests_properties(badinput PROPERTIES FIXTURES_REQUIRED "full_disk;texture_corpus")
# The valid texture files that the texture file test loads, written by ImageMagick into the
# folder the test starts in.
add_test(NAME badinput_texture_corpus COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/texture_corpus.sh texture_corpus)
set_tests_properties(badinput_texture_corpus PROPERTIES FIXTURES_SETUP texture_corpus)
