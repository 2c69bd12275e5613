# The fault sweeps replay whole device lives with the builtins and paths scenes played in-process
# from krview's own scene sources. The device's modes start at 800x600, so the virtual desktop is
# that size: full screen then needs no mode change. `./kr sweep` runs the same tests whole.
kr_test_program(faults NAME faults_platform DESKTOP 800x600 FILTER PlatformFaults.* TIMEOUT 900)
kr_test_program(faults NAME faults_allocation DESKTOP 800x600 FILTER AllocationFaults.*
                TIMEOUT 900)
target_sources(test_faults PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview/scene_builtins.cpp
                                   ${CMAKE_SOURCE_DIR}/apps/krview/scene_paths.cpp
                                   ${CMAKE_SOURCE_DIR}/apps/krview/geometry.cpp
                                   ${CMAKE_SOURCE_DIR}/apps/krview/device_objects.cpp)
target_include_directories(test_faults PRIVATE ${CMAKE_SOURCE_DIR}/apps/krview)
