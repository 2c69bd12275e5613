# The fault sweeps replay whole device lives under a small virtual desktop, with the engine's
# builtins and paths scenes played in-process from krview's own scene sources.
kr_test_program(faults DESKTOP 800x600 TIMEOUT 600)
target_sources(test_faults PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview/scene_builtins.cpp
                                   ${CMAKE_SOURCE_DIR}/apps/krview/scene_paths.cpp
                                   ${CMAKE_SOURCE_DIR}/apps/krview/geometry.cpp
                                   ${CMAKE_SOURCE_DIR}/apps/krview/device_objects.cpp)
target_include_directories(test_faults PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview)
